#pragma once

#include <QByteArray>
#include <QString>

namespace zov {
namespace network {

// What came back from one transfer. transferError is empty when an HTTP response was
// received (whatever its status); otherwise it says why there is none.
struct HttpResponse
{
    QString transferError;
    int status = 0;
    QByteArray body;
};

} // namespace network
} // namespace zov
