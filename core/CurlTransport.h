#pragma once

#include "core/HttpTransport.h"

#include <QPointer>

namespace zov {
namespace network {

class CurlMulti;

// Runs the transfer through libcurl on this thread's event loop.
class CurlTransport : public HttpTransport
{
    Q_OBJECT
public:
    using HttpTransport::HttpTransport;
    ~CurlTransport() override;

    void send(const HttpRequest& request) override;

private:
    QPointer<CurlMulti> m_multi;
    quint64 m_transferId = 0;
};

} // namespace network
} // namespace zov
