#include "core/QtTransport.h"

#include "core/LowDelaySockets.h"
#include "core/TrustStore.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QThreadStorage>

namespace zov {
namespace network {

namespace {

const int kMaxRedirects = 5;
const int kHttpsPort = 443;

QThreadStorage<QNetworkAccessManager*>& managers()
{
    static QThreadStorage<QNetworkAccessManager*> storage;
    return storage;
}

// Error codes Qt derives from the HTTP status: the response itself arrived.
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied
               && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::InternalServerError
            && error <= QNetworkReply::UnknownServerError);
}

QNetworkRequest toQtRequest(const HttpRequest& request)
{
    QNetworkRequest qtRequest(QUrl(request.url));
    qtRequest.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    qtRequest.setMaximumRedirectsAllowed(kMaxRedirects);
    for (const RawHeader& header : request.headers)
        qtRequest.setRawHeader(header.first, header.second);
    if (!request.cookies.isEmpty())
        qtRequest.setRawHeader("Cookie", request.cookies);
    return qtRequest;
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
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
}

void QtTransport::send(const HttpRequest& request)
{
    TrustStore::instance().ensureLoaded();
    m_timeMs = request.timeMs;
    const QNetworkRequest qtRequest = toQtRequest(request);
    QNetworkAccessManager* manager = threadManager();
    m_reply = request.method == "POST" ? manager->post(qtRequest, request.body)
                                       : manager->get(qtRequest);
    connect(m_reply, &QNetworkReply::finished, this, &QtTransport::onFinished);
    connect(m_reply, &QNetworkReply::sslErrors, this, &QtTransport::onSslErrors);
    if (m_timeMs > 0)
        m_timer.start(m_timeMs);
}

void QtTransport::releaseThreadManager()
{
    if (managers().hasLocalData())
        managers().setLocalData(nullptr);
}

QNetworkAccessManager* QtTransport::threadManager()
{
    if (!managers().hasLocalData() || !managers().localData())
        managers().setLocalData(createManager());
    return managers().localData();
}

// Qt writes a POST's body after its headers in a second write and leaves Nagle's algorithm
// on, so on a kept-alive connection the body waits for the server's delayed acknowledgement
// of the headers: some 40 ms for every request. Qt gives no access to its sockets, but it
// waits for this signal of a new TLS connection before it writes the first request on it.
QNetworkAccessManager* QtTransport::createManager()
{
    auto* manager = new QNetworkAccessManager;
    connect(manager, &QNetworkAccessManager::encrypted, manager,
        [](QNetworkReply* reply) { LowDelaySockets::apply(reply->url().port(kHttpsPort)); });
    return manager;
}

void QtTransport::onFinished()
{
    m_timer.stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();

    HttpResponse response;
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error != QNetworkReply::NoError && !(status.isValid() && isHttpStatusError(error))) {
        response.transferError = describeFailure(*reply);
    } else {
        response.status = status.toInt();
        response.body = reply->readAll();
    }
    emit finished(response);
}

// Qt's own error text only says that the handshake failed; the reasons come here.
void QtTransport::onSslErrors(const QList<QSslError>& errors)
{
    QStringList reasons;
    for (const QSslError& error : errors)
        reasons.append(error.errorString());
    m_sslErrors = reasons.join(QStringLiteral("; "));
}

void QtTransport::onTimeout()
{
    m_timedOut = true;
    if (m_reply)
        m_reply->abort();
}

QString QtTransport::describeFailure(const QNetworkReply& reply) const
{
    if (m_timedOut)
        return QStringLiteral("timeout after %1 ms").arg(m_timeMs);
    const QString detail = reply.errorString();
    switch (reply.error()) {
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("TLS: ") + (m_sslErrors.isEmpty() ? detail : m_sslErrors);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed: ") + detail;
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("too many redirects: ") + detail;
    default:
        return QStringLiteral("network error: ") + detail;
    }
}

} // namespace network
} // namespace zov
