#include "service/ConfigApi.h"

#include "service/ApiRouter.h"
#include "service/JsonReply.h"

#include <QJsonArray>
#include <QString>

namespace zovservice {

namespace {

struct NamedPath
{
    const char* name;
    const char* path;
};

// Page addresses, served from the www folder.
const NamedPath pageAddresses[] = {
    { "loginUrl", "/pages/login.html" },
    { "coursewareUrl", "/pages/courseware.html" },
    { "useragreementUrl", "/pages/agreement/user.html" },
    { "privacyagreementUrl", "/pages/agreement/privacy.html" },
    { "videoPlayerUrl", "/pages/player/video.html" },
    { "audioPlayerUrl", "/pages/player/audio.html" },
    { "evaluationUrl", "/pages/evaluation.html" },
};

const NamedPath apiAddresses[] = {
    { "startCourseUrl", "/olbusiness/api/course/start" },
    { "endCourseUrl", "/olbusiness/api/course/end" },
    { "courseInfoUrl", "/olbusiness/api/course/info" },
    { "startSingleVideoUrl", "/olbusiness/api/video/single/start" },
    { "endSingleVideoUrl", "/olbusiness/api/video/single/end" },
    { "startMuxVideoUrl", "/olbusiness/api/video/mux/start" },
    { "endMuxVideoUrl", "/olbusiness/api/video/mux/end" },
    { "saveNoteImageUrl", "/olbusiness/api/note/image/save" },
    { "saveNoteImageNumUrl", "/olbusiness/api/note/image/count" },
    { "getCoursewareUrl", "/olbusiness/api/course/courseware" },
    { "getCourseStateUrl", "/olbusiness/api/course/state" },
    { "saveMaidianUrl", "/olbusiness/api/track/save" },
    { "pauseOrContinueUrl", "/olbusiness/api/course/pauseOrContinue" },
    { "getUploadConfigUrl", "/olbusiness/api/log/uploadConfig" },
    { "getOlMaidianUrl", "/olbusiness/api/track/config" },
    { "getDeviceScore", "/olbusiness/api/device/score" },
};

template<size_t N> QJsonArray addressList(const NamedPath (&addresses)[N], const QString& base)
{
    QJsonArray list;
    for (const NamedPath& address : addresses) {
        QJsonObject entry;
        entry.insert(QStringLiteral("name"), QString::fromLatin1(address.name));
        entry.insert(QStringLiteral("url"), base + QString::fromLatin1(address.path));
        list.append(entry);
    }
    return list;
}

} // namespace

ConfigApi::ConfigApi(std::string host)
    : m_host(std::move(host))
{ }

void ConfigApi::setPorts(int apiPort, int webPort)
{
    m_apiPort = apiPort;
    m_webPort = webPort;
}

void ConfigApi::setLoginPath(const std::string& path)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_loginPath = path;
}

void ConfigApi::registerRoutes(ApiRouter& router) const
{
    router.post(path, [this](const httplib::Request& request, httplib::Response& response) {
        handleInit(request, response);
    });
}

QJsonObject ConfigApi::configuration() const
{
    const QString host = QString::fromStdString(m_host);
    const QString apiHost = host + QLatin1Char(':') + QString::number(m_apiPort);
    const QString webHost = host + QLatin1Char(':') + QString::number(m_webPort);

    QJsonObject data;
    data.insert(QStringLiteral("host"), apiHost);
    QJsonArray pages = addressList(pageAddresses, QStringLiteral("http://") + webHost);
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_loginPath.empty()) {
        pages.replace(0,
            QJsonObject { { QStringLiteral("name"), QStringLiteral("loginUrl") },
                { QStringLiteral("url"),
                    QStringLiteral("http://") + webHost + QString::fromStdString(m_loginPath) } });
    }
    data.insert(QStringLiteral("h5UrlList"), pages);
    data.insert(QStringLiteral("rdUrlList"),
        addressList(apiAddresses, QStringLiteral("https://") + apiHost));

    QJsonObject reply;
    reply.insert(QStringLiteral("code"), 0);
    reply.insert(QStringLiteral("msg"), QStringLiteral("ok"));
    reply.insert(QStringLiteral("data"), data);
    return reply;
}

void ConfigApi::handleInit(const httplib::Request& request, httplib::Response& response) const
{
    const std::optional<QJsonObject> body = JsonReply::parseObject(request.body);
    if (!body) {
        JsonReply::sendError(response, 400, "the body must be a JSON object");
        return;
    }
    if (body->value(QStringLiteral("type")).toInt(-1) != 1) {
        JsonReply::sendError(response, 400, "unsupported configuration type");
        return;
    }
    JsonReply::send(response, 200, configuration());
}

} // namespace zovservice
