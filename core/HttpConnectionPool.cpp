#include "core/HttpConnectionPool.h"

#include "core/HttpConnection.h"

#include <QThreadStorage>

namespace zov {
namespace network {

namespace {

// The program talks to one or two servers; more idle connections would only hold sockets.
const int kMaxIdle = 4;

QThreadStorage<HttpConnectionPool*>& pools()
{
    static QThreadStorage<HttpConnectionPool*> storage;
    return storage;
}

} // namespace

HttpConnectionPool* HttpConnectionPool::forThisThread()
{
    // A thread that has not asked before holds a null pointer.
    if (!pools().localData())
        pools().setLocalData(new HttpConnectionPool);
    return pools().localData();
}

void HttpConnectionPool::releaseThisThread()
{
    pools().setLocalData(nullptr);
}

HttpConnection* HttpConnectionPool::take(const QUrl& url)
{
    const QString origin = HttpConnection::originOf(url);
    for (int i = m_idle.size() - 1; i >= 0; --i) {
        HttpConnection* connection = m_idle.at(i);
        if (connection->origin() == origin && connection->isReusable()) {
            m_idle.removeAt(i);
            disconnect(connection, &HttpConnection::closedWhileIdle, this, nullptr);
            return connection;
        }
    }
    return new HttpConnection(url, this);
}

void HttpConnectionPool::giveBack(HttpConnection* connection)
{
    if (!connection->isReusable()) {
        discard(connection);
        return;
    }
    m_idle.append(connection);
    connect(connection, &HttpConnection::closedWhileIdle, this,
        [this, connection] { discard(connection); });
    if (m_idle.size() > kMaxIdle)
        discard(m_idle.takeFirst());
}

void HttpConnectionPool::discard(HttpConnection* connection)
{
    m_idle.removeOne(connection);
    connection->disconnect();
    connection->deleteLater();
}

} // namespace network
} // namespace zov
