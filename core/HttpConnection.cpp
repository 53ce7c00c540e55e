#include "core/HttpConnection.h"

#include <QSslSocket>

namespace zov {
namespace network {

namespace {

quint16 portOf(const QUrl& url)
{
    return static_cast<quint16>(url.port(HttpConnection::isHttps(url) ? 443 : 80));
}

} // namespace

bool HttpConnection::isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

HttpConnection::HttpConnection(const QUrl& url, QObject* parent)
    : QObject(parent)
    , m_socket(new QSslSocket(this))
    , m_origin(originOf(url))
    , m_host(url.host())
    , m_port(portOf(url))
    , m_encrypted(isHttps(url))
{
    connect(m_socket, &QSslSocket::connected, this, [this] {
        // The whole request goes out in one write, but a kept connection must not let a
        // small request wait for the acknowledgement of the one before.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (!m_encrypted)
            onReady();
    });
    connect(m_socket, &QSslSocket::encrypted, this, &HttpConnection::onReady);
    connect(m_socket, &QSslSocket::readyRead, this, &HttpConnection::onReadyRead);
    connect(m_socket, &QSslSocket::disconnected, this, &HttpConnection::onDisconnected);
    connect(m_socket, &QSslSocket::errorOccurred, this, &HttpConnection::onSocketError);
    connect(m_socket, qOverload<const QList<QSslError>&>(&QSslSocket::sslErrors), this,
        [this](const QList<QSslError>& errors) {
            QStringList reasons;
            for (const QSslError& error : errors)
                reasons.append(error.errorString());
            m_sslErrors = reasons.join(QStringLiteral("; "));
        });
}

HttpConnection::~HttpConnection()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

QString HttpConnection::originOf(const QUrl& url)
{
    return url.scheme().toLower() + QStringLiteral("://") + url.host() + QLatin1Char(':')
        + QString::number(portOf(url));
}

void HttpConnection::exchange(const QByteArray& request)
{
    m_busy = true;
    m_reply = HttpResponseParser();
    m_unsent = request;
    if (isOpen()) {
        onReady();
        return;
    }
    m_socket->abort();
    if (m_encrypted)
        m_socket->connectToHostEncrypted(m_host, m_port);
    else
        m_socket->connectToHost(m_host, m_port);
}

bool HttpConnection::isReusable() const
{
    return !m_busy && !m_broken && isOpen() && m_reply.keepAlive()
        && m_socket->bytesAvailable() == 0;
}

bool HttpConnection::isOpen() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState
        && (!m_encrypted || m_socket->isEncrypted());
}

void HttpConnection::onReady()
{
    if (m_unsent.isEmpty())
        return;
    m_socket->write(m_unsent);
    m_unsent.clear();
}

void HttpConnection::onReadyRead()
{
    const QByteArray data = m_socket->readAll();
    if (!m_busy) {
        // Nothing may arrive between requests; the connection is no longer in step.
        m_broken = true;
        return;
    }
    switch (m_reply.feed(data.constData(), data.size())) {
    case HttpResponseParser::State::Complete:
        m_busy = false;
        emit replied();
        break;
    case HttpResponseParser::State::Failed:
        fail(QStringLiteral("network error: ") + m_reply.error());
        break;
    case HttpResponseParser::State::Incomplete:
        break;
    }
}

void HttpConnection::onDisconnected()
{
    if (!m_busy) {
        m_broken = true;
        emit closedWhileIdle();
        return;
    }
    if (m_reply.finish() == HttpResponseParser::State::Complete) {
        m_busy = false;
        m_broken = true;
        emit replied();
        return;
    }
    fail(QStringLiteral("connection closed: ")
        + (m_reply.hasReceivedAnything() ? m_reply.error() : m_socket->errorString()));
}

void HttpConnection::onSocketError()
{
    // A closing server ends in disconnected(), where what was read decides.
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    if (m_socket->error() == QAbstractSocket::SslHandshakeFailedError)
        fail(QStringLiteral("TLS: ")
            + (m_sslErrors.isEmpty() ? m_socket->errorString() : m_sslErrors));
    else
        fail(QStringLiteral("network error: ") + m_socket->errorString());
}

void HttpConnection::fail(const QString& transferError)
{
    m_broken = true;
    if (!m_busy)
        return;
    m_busy = false;
    emit failed(transferError, !m_reply.hasReceivedAnything());
}

} // namespace network
} // namespace zov
