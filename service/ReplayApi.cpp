#include "service/ReplayApi.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"
#include "service/LessonCatalog.h"
#include "service/LessonVideo.h"
#include "service/RandomText.h"

#include <cmath>

namespace zovservice {

namespace {

QJsonObject failure(const QString& message)
{
    return { { QStringLiteral("code"), 1 }, { QStringLiteral("msg"), message } };
}

} // namespace

ReplayApi::ReplayApi()
    : m_appKey(RandomText::hex(16))
{ }

void ReplayApi::registerRoutes(ApiRouter& router) const
{
    router.post(path, [this](const httplib::Request& request, httplib::Response& response) {
        handleEnter(request, response);
    });
}

void ReplayApi::setError(const std::optional<QString>& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_error = error;
}

void ReplayApi::setDataFaults(bool wrongMd5, bool failingUrl)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wrongMd5 = wrongMd5;
    m_failingUrl = failingUrl;
}

std::optional<QString> ReplayApi::currentError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

void ReplayApi::handleEnter(const httplib::Request& request, httplib::Response& response) const
{
    if (const std::optional<QString> error = currentError()) {
        JsonReply::send(response, 200, failure(*error));
        return;
    }
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    if (!body) {
        JsonReply::sendError(response, 400, "the body must be a JSON object");
        return;
    }
    const std::optional<QString> planId = planIdOf(*body);
    if (!planId) {
        JsonReply::send(response, 200, failure(QStringLiteral("缺少课程编号")));
        return;
    }
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
            { QStringLiteral("data"), replayData(*planId) } });
}

QJsonObject ReplayApi::replayData(const QString& planId) const
{
    return { { QStringLiteral("configs"), configs() },
        { QStringLiteral("stuInfo"), studentInfo(planId) },
        { QStringLiteral("planInfo"), planInfo(planId) },
        { QStringLiteral("videoTime"), videoTime() },
        { QStringLiteral("replayData"), dataFiles() } };
}

QJsonObject ReplayApi::configs() const
{
    return { { QStringLiteral("videoFile"), QString::fromLatin1(LessonVideo::fileName) },
        { QStringLiteral("videoPath"), QJsonArray::fromStringList(m_videoHosts) },
        { QStringLiteral("appId"), QStringLiteral("zov-demo-app") },
        { QStringLiteral("appKey"), m_appKey } };
}

QJsonArray ReplayApi::dataFiles() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QJsonArray files;
    for (size_t index = 0; index < m_dataFiles.size(); ++index) {
        ReplayDataFiles::Listing file = m_dataFiles[index];
        if (m_wrongMd5 && index + 1 == m_dataFiles.size())
            file.md5 = m_dataFiles.front().md5;
        if (m_failingUrl && index == 1)
            file.url += QStringLiteral("-gone");
        files.append(QJsonObject {
            { QStringLiteral("url"), file.url }, { QStringLiteral("md5"), file.md5 } });
    }
    return files;
}

// Clients send the lesson's number as a number or as text.
std::optional<QString> ReplayApi::planIdOf(const QJsonObject& body)
{
    const QJsonValue planId = body.value(QStringLiteral("planId"));
    if (planId.isString() && !planId.toString().isEmpty())
        return planId.toString();
    if (planId.isDouble() && std::trunc(planId.toDouble()) == planId.toDouble())
        return QString::number(qint64(planId.toDouble()));
    return std::nullopt;
}

// A new password with every request, so a client can only play with the one it was given.
QJsonObject ReplayApi::studentInfo(const QString& planId)
{
    const QJsonObject psim { { QStringLiteral("psId"), QStringLiteral("ps-") + planId },
        { QStringLiteral("psPwd"), RandomText::hex(8) } };
    return { { QStringLiteral("psim"), psim } };
}

QJsonObject ReplayApi::planInfo(const QString& planId)
{
    QString name = LessonCatalog::titleOf(planId);
    if (name.isEmpty())
        name = QStringLiteral("课堂回放");
    return { { QStringLiteral("id"), planId }, { QStringLiteral("name"), name },
        { QStringLiteral("replay_size"), 0 } };
}

QJsonArray ReplayApi::videoTime()
{
    const qint64 endMs = lessonStartMs + qint64(LessonVideo::durationSeconds) * 1000;
    return { QJsonObject { { QStringLiteral("startTime"), double(lessonStartMs) },
        { QStringLiteral("endTime"), double(endMs) } } };
}

} // namespace zovservice
