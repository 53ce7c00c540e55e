#include "service/WebApi.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"
#include "service/RandomText.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QUuid>

namespace zovservice {

namespace {

constexpr quint32 firstUserId = 10000000;
constexpr quint32 userIdRange = 90000000;

QJsonObject success(const QJsonObject& data)
{
    return { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
        { QStringLiteral("data"), data } };
}

} // namespace

WebApi::WebApi(const QStringList& replayHosts)
    : m_lessons(replayHosts)
{ }

void WebApi::registerRoutes(ApiRouter& router) const
{
    router.post(loginPath, [this](const httplib::Request& request, httplib::Response& response) {
        handleLogin(request, response);
    });
    router.get(lessonsPath, [this](const httplib::Request& request, httplib::Response& response) {
        handleLessons(request, response);
    });
}

void WebApi::handleLogin(const httplib::Request& request, httplib::Response& response) const
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    if (!body) {
        JsonReply::sendError(response, 400, "the body must be a JSON object");
        return;
    }
    const QString account = body->value(QStringLiteral("account")).toString().trimmed();
    const QString password = body->value(QStringLiteral("password")).toString();
    if (account.isEmpty() || password.isEmpty()) {
        JsonReply::send(response, 200,
            { { QStringLiteral("code"), 1 },
                { QStringLiteral("msg"), QStringLiteral("请输入账号和密码") } });
        return;
    }
    JsonReply::send(response, 200, success(session(account)));
}

void WebApi::handleLessons(const httplib::Request&, httplib::Response& response) const
{
    const QJsonObject data { { QStringLiteral("student"), LessonCatalog::student() },
        { QStringLiteral("lessons"), m_lessons.lessons(QDateTime::currentDateTime()) } };
    JsonReply::send(response, 200, success(data));
}

// A fresh token and uid for every log-in; the user id stays with the account, as a real
// account's would.
QJsonObject WebApi::session(const QString& account)
{
    return { { QStringLiteral("token"), RandomText::hex(16) },
        { QStringLiteral("uid"), QUuid::createUuid().toString(QUuid::WithoutBraces) },
        { QStringLiteral("userId"), userIdOf(account) } };
}

QString WebApi::userIdOf(const QString& account)
{
    const QByteArray digest = QCryptographicHash::hash(account.toUtf8(), QCryptographicHash::Sha1);
    QDataStream stream(digest);
    quint32 number = 0;
    stream >> number;
    return QString::number(firstUserId + number % userIdRange);
}

} // namespace zovservice
