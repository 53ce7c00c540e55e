#include "core/NetworkHelper.h"

#include "core/CurlMulti.h"
#include "core/CurlTransport.h"
#include "core/NetworkSettings.h"
#include "core/QtTransport.h"
#include "core/TrustStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace zov {
namespace network {

namespace {

Q_LOGGING_CATEGORY(lcNetwork, "zov.network")

struct Outcome
{
    bool ok = false;
    QJsonValue value;
    QString msg;
};

QJsonValue parseJson(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (document.isObject())
        return document.object();
    if (document.isArray())
        return document.array();
    return QJsonValue();
}

Outcome evaluate(const HttpResponse& response)
{
    Outcome outcome;
    if (!response.transferError.isEmpty()) {
        outcome.msg = response.transferError;
        return outcome;
    }
    outcome.value = parseJson(response.body);
    if (response.status < 200 || response.status > 299)
        outcome.msg = QStringLiteral("HTTP %1").arg(response.status);
    else if (!outcome.value.isObject())
        outcome.msg = QStringLiteral("reply is not a JSON object");
    else
        outcome.ok = true;
    return outcome;
}

} // namespace

NetworkHelper::NetworkHelper(QObject* parent, const QString& name)
    : QObject(parent)
    , m_name(name)
{ }

NetworkHelper::~NetworkHelper() = default;

void NetworkHelper::post(const QString& url, const QByteArray& body, bool flag, int timeMs)
{
    Q_UNUSED(flag)
    send(NetworkSettings::instance().makeRequest("POST", url, body, timeMs));
}

void NetworkHelper::get(const QString& url, int timeMs)
{
    send(NetworkSettings::instance().makeRequest("GET", url, QByteArray(), timeMs));
}

void NetworkHelper::useCurlNetwork(bool useCurl)
{
    NetworkSettings::instance().setUseCurl(useCurl);
}

bool NetworkHelper::isCurlNetwork()
{
    return NetworkSettings::instance().useCurl();
}

void NetworkHelper::addRawHeader(const QByteArray& name, const QByteArray& value)
{
    NetworkSettings::instance().addRawHeader(name, value);
}

void NetworkHelper::setCookies(const QByteArray& cookies)
{
    NetworkSettings::instance().setCookies(cookies);
}

// The authorities are read again, and libcurl set up, with the first request:
// the tracking process shares this start-up but never sends one.
void NetworkHelper::initialize()
{
    TrustStore::instance().reset();
}

void NetworkHelper::cleanup()
{
    CurlMulti::releaseThisThread();
    QtTransport::releaseThreadConnections();
    TrustStore::instance().reset();
}

void NetworkHelper::send(const HttpRequest& request)
{
    HttpTransport* transport = createTransport();
    const QString url = request.url;
    connect(transport, &HttpTransport::finished, this,
        [this, transport, url](const HttpResponse& response) {
            transport->deleteLater();
            onTransportFinished(url, response);
        });
    transport->send(request);
}

HttpTransport* NetworkHelper::createTransport()
{
    if (isCurlNetwork())
        return new CurlTransport(this);
    return new QtTransport(this);
}

void NetworkHelper::onTransportFinished(const QString& url, const HttpResponse& response)
{
    const Outcome outcome = evaluate(response);
    if (!outcome.ok)
        qCWarning(lcNetwork).noquote() << "request" << m_name << url << "failed:" << outcome.msg;
    emit httpFinished(outcome.ok, outcome.value, outcome.msg);
}

} // namespace network
} // namespace zov
