#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace zov {
namespace network {

using RawHeader = QPair<QByteArray, QByteArray>;

// Everything a transport needs for one transfer. The process-wide headers and cookies
// are copied in when the request is made, so later changes do not reach it.
struct HttpRequest
{
    QByteArray method;
    QString url;
    QByteArray body;
    int timeMs = 0;
    QList<RawHeader> headers;
    QByteArray cookies;
};

} // namespace network
} // namespace zov
