#include "service/ControlApi.h"

#include "service/DeviceScoreApi.h"
#include "service/FaultInjector.h"
#include "service/JsonReply.h"
#include "service/RequestLog.h"
#include "service/RequestStats.h"
#include "service/UploadStore.h"
#include "service/VersionApi.h"

#include <QString>

namespace zovservice {

namespace {

// Long enough for any client timeout, short enough not to hold a server thread for good.
constexpr int maximumDelayMs = 600000;

} // namespace

ControlApi::ControlApi(FaultInjector& faults, const RequestStats& stats, const RequestLog& log,
    const UploadStore& uploads, DeviceScoreApi& deviceScore, VersionApi& version)
    : m_faults(faults)
    , m_stats(stats)
    , m_log(log)
    , m_uploads(uploads)
    , m_deviceScore(deviceScore)
    , m_version(version)
{ }

void ControlApi::registerRoutes(httplib::Server& server)
{
    server.Post(
        "/control/faults", [this](const httplib::Request& request, httplib::Response& response) {
            handleFaults(request, response);
        });
    server.Get(
        "/control/stats", [this](const httplib::Request& request, httplib::Response& response) {
            handleStats(request, response);
        });
    server.Get("/control/lastRequest",
        [this](const httplib::Request& request, httplib::Response& response) {
            handleLastRequest(request, response);
        });
    server.Get(
        "/control/uploads", [this](const httplib::Request& request, httplib::Response& response) {
            handleUploads(request, response);
        });
    server.Post("/control/deviceScore",
        [this](const httplib::Request& request, httplib::Response& response) {
            handleDeviceScore(request, response);
        });
    server.Post(
        "/control/version", [this](const httplib::Request& request, httplib::Response& response) {
            handleVersion(request, response);
        });
}

void ControlApi::handleFaults(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    if (!body) {
        JsonReply::sendError(response, 400, "the body must be a JSON object");
        return;
    }
    const int count = body->value(QStringLiteral("count")).toInt(-1);
    const std::optional<FaultMode> mode
        = FaultInjector::modeFromName(body->value(QStringLiteral("mode")).toString().toStdString());
    const int delayMs = body->value(QStringLiteral("delayMs")).toInt(0);
    if (count < 0 || !mode || delayMs < 0 || delayMs > maximumDelayMs) {
        JsonReply::sendError(response, 400,
            "expected {\"count\":N,\"mode\":\"error500|slow|nonjson|close\","
            "\"delayMs\":MS}");
        return;
    }
    m_faults.arm(count, *mode, delayMs);
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") } });
}

void ControlApi::handleStats(const httplib::Request& request, httplib::Response& response) const
{
    if (!request.has_param("path")) {
        JsonReply::sendError(response, 400, "the query needs a path");
        return;
    }
    const int count = m_stats.count(request.get_param_value("path"));
    JsonReply::send(response, 200, { { QStringLiteral("count"), count } });
}

void ControlApi::handleLastRequest(
    const httplib::Request& request, httplib::Response& response) const
{
    if (!request.has_param("path")) {
        JsonReply::sendError(response, 400, "the query needs a path");
        return;
    }
    const std::optional<QJsonObject> last = m_log.last(request.get_param_value("path"));
    if (!last) {
        JsonReply::sendError(response, 404, "no request arrived on that path");
        return;
    }
    JsonReply::send(response, 200, *last);
}

void ControlApi::handleUploads(const httplib::Request&, httplib::Response& response) const
{
    JsonReply::send(response, 200, { { QStringLiteral("uploads"), m_uploads.list() } });
}

// {"verdict": <any JSON value, left out of the reply when absent>, "fail": <bool, optional>}
void ControlApi::handleDeviceScore(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    const QJsonValue fail = body ? body->value(QStringLiteral("fail")) : QJsonValue();
    if (!body || !(fail.isUndefined() || fail.isBool())) {
        JsonReply::sendError(response, 400, "expected {\"verdict\":V,\"fail\":true|false}");
        return;
    }
    m_deviceScore.choose({ body->value(QStringLiteral("verdict")), fail.toBool(false) });
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") } });
}

// The shapes are listed with VersionApi::Answer::fromControl.
void ControlApi::handleVersion(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    const std::optional<VersionApi::Answer> answer
        = body ? VersionApi::Answer::fromControl(*body) : std::nullopt;
    if (!answer) {
        JsonReply::sendError(response, 400,
            "expected {\"scenario\":\"none|errorcode|malformed|update\", ...}; an update "
            "needs \"version\" and \"urls\"");
        return;
    }
    m_version.choose(*answer);
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") } });
}

} // namespace zovservice
