#include "core/QtTransport.h"

#include "core/HttpConnection.h"
#include "core/HttpConnectionPool.h"
#include "core/TrustStore.h"

namespace zov {
namespace network {

namespace {

const int kMaxRedirects = 5;
// A server that keeps closing connections before it answers is not coming back soon.
const int kMaxAttempts = 3;
// Headers the transport writes itself, from the request line and the body.
const QList<QByteArray> kOwnHeaders = { "host", "content-length", "connection" };

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isHttpScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// Line breaks in a value would let it start headers of its own.
QByteArray singleLine(QByteArray value)
{
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return value;
}

QByteArray hostHeader(const QUrl& url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1)
        host += ':' + QByteArray::number(url.port());
    return host;
}

} // namespace

QtTransport::QtTransport(QObject* parent)
    : HttpTransport(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QtTransport::onTimeout);
}

QtTransport::~QtTransport()
{
    releaseConnection(false);
}

void QtTransport::send(const HttpRequest& request)
{
    TrustStore::instance().ensureLoaded();
    m_request = request;
    m_url = QUrl(request.url);
    if (request.timeMs > 0)
        m_timer.start(request.timeMs);
    startAttempt();
}

void QtTransport::releaseThreadConnections()
{
    HttpConnectionPool::releaseThisThread();
}

void QtTransport::startAttempt()
{
    if (!m_url.isValid() || !isHttpScheme(m_url) || m_url.host().isEmpty()) {
        finishLater(QStringLiteral("network error: cannot send to ") + m_url.toString());
        return;
    }
    ++m_attempts;
    m_connection = HttpConnectionPool::forThisThread()->take(m_url);
    connect(m_connection, &HttpConnection::replied, this, &QtTransport::onReplied);
    connect(m_connection, &HttpConnection::failed, this, &QtTransport::onFailed);
    m_connection->exchange(requestBytes());
}

void QtTransport::onReplied()
{
    const int status = m_connection->reply().status();
    const QByteArray body = m_connection->reply().body();
    const QByteArray location = m_connection->reply().header("Location");
    releaseConnection(true);
    if (isRedirect(status) && !location.isEmpty()) {
        followRedirect(status, location);
        return;
    }
    HttpResponse response;
    response.status = status;
    response.body = body;
    finish(response);
}

void QtTransport::onFailed(const QString& transferError, bool nothingReceived)
{
    releaseConnection(false);
    if (nothingReceived && m_attempts < kMaxAttempts) {
        startAttempt();
        return;
    }
    HttpResponse response;
    response.transferError = transferError;
    finish(response);
}

void QtTransport::onTimeout()
{
    releaseConnection(false);
    HttpResponse response;
    response.transferError = QStringLiteral("timeout after %1 ms").arg(m_request.timeMs);
    finish(response);
}

void QtTransport::followRedirect(int status, const QByteArray& location)
{
    const QUrl target = m_url.resolved(QUrl::fromEncoded(location));
    HttpResponse refused;
    if (++m_redirects > kMaxRedirects) {
        refused.transferError = QStringLiteral("too many redirects: more than %1, the last to %2")
                                    .arg(kMaxRedirects)
                                    .arg(target.toString());
    } else if (HttpConnection::isHttps(m_url) && !HttpConnection::isHttps(target)) {
        refused.transferError
            = QStringLiteral("network error: redirect from https to ") + target.toString();
    }
    if (!refused.transferError.isEmpty()) {
        finish(refused);
        return;
    }
    // Browsers turn a redirected form post into a fetch of the new address; 307 and 308
    // ask for the same request again.
    if (status == 303 || (m_request.method == "POST" && status != 307 && status != 308)) {
        m_request.method = "GET";
        m_request.body.clear();
    }
    m_url = target;
    m_attempts = 0;
    startAttempt();
}

QByteArray QtTransport::requestBytes() const
{
    QByteArray target = m_url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (m_url.hasQuery())
        target += '?' + m_url.query(QUrl::FullyEncoded).toLatin1();

    QByteArray bytes = m_request.method + ' ' + target + " HTTP/1.1\r\nHost: " + hostHeader(m_url)
        + "\r\nConnection: keep-alive\r\n";
    bool hasUserAgent = false;
    for (const RawHeader& header : m_request.headers) {
        const QByteArray name = singleLine(header.first);
        if (kOwnHeaders.contains(name.toLower()))
            continue;
        hasUserAgent = hasUserAgent || name.compare("User-Agent", Qt::CaseInsensitive) == 0;
        bytes += name + ": " + singleLine(header.second) + "\r\n";
    }
    // What Qt's own network access has always sent.
    if (!hasUserAgent)
        bytes += "User-Agent: Mozilla/5.0\r\n";
    if (!m_request.cookies.isEmpty())
        bytes += "Cookie: " + singleLine(m_request.cookies) + "\r\n";
    if (m_request.method == "POST")
        bytes += "Content-Length: " + QByteArray::number(m_request.body.size()) + "\r\n";
    return bytes + "\r\n" + m_request.body;
}

void QtTransport::releaseConnection(bool reusable)
{
    if (!m_connection)
        return;
    HttpConnection* connection = m_connection;
    m_connection = nullptr;
    connection->disconnect(this);
    auto* pool = qobject_cast<HttpConnectionPool*>(connection->parent());
    if (reusable)
        pool->giveBack(connection);
    else
        pool->discard(connection);
}

void QtTransport::finish(const HttpResponse& response)
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    emit finished(response);
}

// finished never comes from inside send().
void QtTransport::finishLater(const QString& transferError)
{
    HttpResponse response;
    response.transferError = transferError;
    QMetaObject::invokeMethod(
        this, [this, response] { finish(response); }, Qt::QueuedConnection);
}

} // namespace network
} // namespace zov
