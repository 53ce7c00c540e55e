#include "service/VersionApi.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"

#include <chrono>
#include <thread>

namespace zovservice {

namespace {

std::optional<VersionApi::Scenario> scenarioFromName(const QString& name)
{
    if (name == QLatin1String("none"))
        return VersionApi::Scenario::None;
    if (name == QLatin1String("errorcode"))
        return VersionApi::Scenario::ErrorCode;
    if (name == QLatin1String("malformed"))
        return VersionApi::Scenario::Malformed;
    if (name == QLatin1String("update"))
        return VersionApi::Scenario::Update;
    return std::nullopt;
}

bool allStrings(const QJsonArray& list)
{
    for (const QJsonValue& entry : list) {
        if (!entry.isString() || entry.toString().isEmpty())
            return false;
    }
    return true;
}

constexpr int maximumDelayMs = 600000;

} // namespace

std::optional<VersionApi::Answer> VersionApi::Answer::fromControl(const QJsonObject& body)
{
    const std::optional<Scenario> scenario
        = scenarioFromName(body.value(QStringLiteral("scenario")).toString());
    if (!scenario)
        return std::nullopt;
    Answer answer;
    answer.scenario = *scenario;
    answer.errorcode = body.value(QStringLiteral("errorcode")).toInt(1);
    answer.version = body.value(QStringLiteral("version")).toString();
    answer.updateType = body.value(QStringLiteral("updateType")).toInt(0);
    answer.packType = body.value(QStringLiteral("packType")).toInt(1);
    answer.md5 = body.value(QStringLiteral("md5")).toString();
    answer.updateMsg = body.value(QStringLiteral("updateMsg")).toString();
    answer.urls = body.value(QStringLiteral("urls")).toArray();
    answer.delayMs = body.value(QStringLiteral("delayMs")).toInt(0);
    if (answer.delayMs < 0 || answer.delayMs > maximumDelayMs)
        return std::nullopt;
    if (answer.scenario == Scenario::ErrorCode && answer.errorcode == 0)
        return std::nullopt;
    if (answer.scenario == Scenario::Update
        && (answer.version.isEmpty() || answer.urls.isEmpty() || !allStrings(answer.urls)))
        return std::nullopt;
    return answer;
}

void VersionApi::registerRoutes(ApiRouter& router)
{
    router.get(path, [this](const httplib::Request& request, httplib::Response& response) {
        handleVersion(request, response);
    });
}

void VersionApi::setPackageBase(const std::string& base)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_packageBase = QString::fromStdString(base);
}

void VersionApi::choose(const Answer& answer)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_answer = answer;
    m_replies = 0;
}

void VersionApi::handleVersion(const httplib::Request&, httplib::Response& response)
{
    int delayMs = 0;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        delayMs = m_answer.delayMs;
    }
    // Other requests go on meanwhile: only this one waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    const std::lock_guard<std::mutex> lock(m_mutex);
    switch (m_answer.scenario) {
    case Scenario::None:
        JsonReply::send(response, 200,
            { { QStringLiteral("errorcode"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
                { QStringLiteral("data"), QJsonObject() } });
        return;
    case Scenario::ErrorCode:
        JsonReply::send(response, 200,
            { { QStringLiteral("errorcode"), m_answer.errorcode },
                { QStringLiteral("msg"), QStringLiteral("version check failed") } });
        return;
    case Scenario::Malformed:
        response.set_content("{\"errorcode\":0,\"data\":{\"version\":", "application/json");
        return;
    case Scenario::Update:
        JsonReply::send(response, 200,
            { { QStringLiteral("errorcode"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
                { QStringLiteral("data"), updateData(m_answer, m_replies++) } });
        return;
    }
}

QJsonObject VersionApi::updateData(const Answer& answer, int replyIndex) const
{
    QString url = answer.urls.at(replyIndex % answer.urls.size()).toString();
    if (url.startsWith(QLatin1Char('/')))
        url.prepend(m_packageBase);
    return { { QStringLiteral("version"), answer.version }, { QStringLiteral("url"), url },
        { QStringLiteral("packType"), answer.packType },
        { QStringLiteral("downloadmd5"), answer.md5 },
        { QStringLiteral("updateType"), answer.updateType },
        { QStringLiteral("updateMsg"), answer.updateMsg } };
}

} // namespace zovservice
