#pragma once

#include "core/HttpTransport.h"

#include <memory>

namespace zov {
namespace network {

class CurlWorker;

// Runs the transfer on the shared curl worker thread and hands the response back to
// this object's thread through a queued call.
class CurlTransport : public HttpTransport
{
    Q_OBJECT
public:
    using HttpTransport::HttpTransport;
    ~CurlTransport() override;

    void send(const HttpRequest& request) override;

private:
    void onResponse(const HttpResponse& response);

    std::shared_ptr<CurlWorker> m_worker;
    quint64 m_transferId = 0;
};

} // namespace network
} // namespace zov
