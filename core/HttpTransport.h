#pragma once

#include "core/HttpRequest.h"
#include "core/HttpResponse.h"

#include <QObject>

namespace zov {
namespace network {

// One transfer through one network stack. The owner creates it per request, calls send
// once and receives finished once, on the owner's thread and never from inside send.
// Deleting the transport before it finished drops the transfer without a signal.
class HttpTransport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void send(const HttpRequest& request) = 0;

signals:
    void finished(const zov::network::HttpResponse& response);
};

} // namespace network
} // namespace zov
