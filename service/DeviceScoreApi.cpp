#include "service/DeviceScoreApi.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"

#include <QJsonObject>
#include <QString>

namespace zovservice {

void DeviceScoreApi::registerRoutes(ApiRouter& router)
{
    router.post(path, [this](const httplib::Request& request, httplib::Response& response) {
        handleScore(request, response);
    });
}

void DeviceScoreApi::choose(const Answer& answer)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_answer = answer;
}

DeviceScoreApi::Answer DeviceScoreApi::current() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_answer;
}

void DeviceScoreApi::handleScore(const httplib::Request& request, httplib::Response& response) const
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    if (!body || !body->value(QStringLiteral("cpuType")).isString()
        || !body->value(QStringLiteral("memory")).isString()) {
        JsonReply::sendError(
            response, 400, "expected {\"cpuType\":\"...\",\"memory\":\"...\"} as the body");
        return;
    }
    const Answer answer = current();
    if (answer.fail) {
        JsonReply::sendError(response, 500, "the device score is not available");
        return;
    }
    QJsonObject data;
    if (!answer.verdict.isUndefined())
        data.insert(QStringLiteral("test_result_str"), answer.verdict);
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") },
            { QStringLiteral("data"), data } });
}

} // namespace zovservice
