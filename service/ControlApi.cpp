#include "service/ControlApi.h"

#include "service/ConfigApi.h"
#include "service/DeviceScoreApi.h"
#include "service/FaultInjector.h"
#include "service/JsonReply.h"
#include "service/ReplayApi.h"
#include "service/RequestLog.h"
#include "service/RequestStats.h"
#include "service/UploadStore.h"
#include "service/VersionApi.h"
#include "service/VideoHosts.h"

#include <QString>

#include <cmath>
#include <limits>

namespace zovservice {

namespace {

// Long enough for any client timeout, short enough not to hold a server thread for good.
constexpr int maximumDelayMs = 600000;

void sendDone(httplib::Response& response)
{
    JsonReply::send(response, 200,
        { { QStringLiteral("code"), 0 }, { QStringLiteral("msg"), QStringLiteral("ok") } });
}

// A key left out keeps count as it is; false for anything but a non-negative int.
bool readCount(const QJsonObject& body, const QString& key, std::optional<int>& count)
{
    const QJsonValue value = body.value(key);
    if (value.isUndefined())
        return true;
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || number > std::numeric_limits<int>::max()
        || std::trunc(number) != number)
        return false;
    count = int(number);
    return true;
}

} // namespace

ControlApi::ControlApi(FaultInjector& faults, const RequestStats& stats, const RequestLog& log,
    const UploadStore& uploads, DeviceScoreApi& deviceScore, VersionApi& version,
    VideoHosts& videoHosts, ReplayApi& replay, ConfigApi& config)
    : m_faults(faults)
    , m_stats(stats)
    , m_log(log)
    , m_uploads(uploads)
    , m_deviceScore(deviceScore)
    , m_version(version)
    , m_videoHosts(videoHosts)
    , m_replay(replay)
    , m_config(config)
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
    server.Post(
        "/control/video", [this](const httplib::Request& request, httplib::Response& response) {
            handleVideo(request, response);
        });
    server.Post("/control/replayInfo",
        [this](const httplib::Request& request, httplib::Response& response) {
            handleReplayInfo(request, response);
        });
    server.Post("/control/replayData",
        [this](const httplib::Request& request, httplib::Response& response) {
            handleReplayData(request, response);
        });
    server.Post(
        "/control/config", [this](const httplib::Request& request, httplib::Response& response) {
            handleConfig(request, response);
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
    sendDone(response);
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
    sendDone(response);
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
    sendDone(response);
}

// {"stallAfterBytes":N,"slowBytesPerSecond":M}, either optional.
void ControlApi::handleVideo(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    std::optional<int> stallAfterBytes;
    std::optional<int> slowBytesPerSecond;
    if (!body || !readCount(*body, QStringLiteral("stallAfterBytes"), stallAfterBytes)
        || !readCount(*body, QStringLiteral("slowBytesPerSecond"), slowBytesPerSecond)) {
        JsonReply::sendError(response, 400,
            "expected {\"stallAfterBytes\":N,\"slowBytesPerSecond\":M}, either optional, "
            "neither negative");
        return;
    }
    m_videoHosts.setFaults(stallAfterBytes, slowBytesPerSecond);
    sendDone(response);
}

// {"error":"text"} makes replay information fail with that message; {"error":null} or {}
// lets it answer normally again.
void ControlApi::handleReplayInfo(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    const QJsonValue error = body ? body->value(QStringLiteral("error")) : QJsonValue();
    if (!body || !(error.isString() || error.isNull() || error.isUndefined())) {
        JsonReply::sendError(response, 400, "expected {\"error\":\"text\"|null}");
        return;
    }
    m_replay.setError(error.isString() ? std::optional<QString>(error.toString()) : std::nullopt);
    sendDone(response);
}

// {"wrongMd5":true|false,"failingUrl":true|false}, either optional (false).
void ControlApi::handleReplayData(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    const QJsonValue wrongMd5 = body ? body->value(QStringLiteral("wrongMd5")) : QJsonValue();
    const QJsonValue failingUrl = body ? body->value(QStringLiteral("failingUrl")) : QJsonValue();
    if (!body || !(wrongMd5.isBool() || wrongMd5.isUndefined())
        || !(failingUrl.isBool() || failingUrl.isUndefined())) {
        JsonReply::sendError(
            response, 400, "expected {\"wrongMd5\":true|false,\"failingUrl\":true|false}");
        return;
    }
    m_replay.setDataFaults(wrongMd5.toBool(false), failingUrl.toBool(false));
    sendDone(response);
}

// {"loginPath": "/pages/..."}: a page of the www folder, or "" for the log-in page.
void ControlApi::handleConfig(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    const QString path = body ? body->value(QStringLiteral("loginPath")).toString() : QString();
    if (!body
        || !(path.isEmpty()
            || (path.startsWith(QLatin1Char('/')) && !path.contains(QStringLiteral(".."))))) {
        JsonReply::sendError(response, 400, "expected {\"loginPath\":\"/pages/...\"}");
        return;
    }
    m_config.setLoginPath(path.toStdString());
    sendDone(response);
}

} // namespace zovservice
