#pragma once

#include <QList>
#include <QObject>

class QUrl;

namespace zov {
namespace network {

class HttpConnection;

// The connections of one thread: every one it opened, busy or idle. Idle ones wait to carry
// the next request to their origin; the pool keeps only a few and drops those the server
// closes.
class HttpConnectionPool : public QObject
{
    Q_OBJECT
public:
    static HttpConnectionPool* forThisThread();
    // Closes every connection of the calling thread, busy ones included, without a signal.
    static void releaseThisThread();

    // An idle connection to the URL's origin, or a new one; the pool keeps owning it.
    HttpConnection* take(const QUrl& url);
    // Done with it: kept for the next request if it can carry one, otherwise closed.
    void giveBack(HttpConnection* connection);
    // Done with it in the middle of an exchange: closed.
    void discard(HttpConnection* connection);

private:
    HttpConnectionPool() = default;

    QList<HttpConnection*> m_idle;
};

} // namespace network
} // namespace zov
