#pragma once

#include <httplib.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <mutex>
#include <optional>
#include <string>

namespace zovservice {

class ApiRouter;

// The version check. The real service compares the client's "Appver" header with its
// newest release; here a test chooses the answer beforehand, and without a choice the
// client is always current.
class VersionApi
{
public:
    static constexpr const char* path = "/olbusiness/api/version";

    enum class Scenario
    {
        // "errorcode" 0 and an empty "data": the installed version is current.
        None,
        // A non-zero "errorcode" and no "data".
        ErrorCode,
        // A body that is not JSON at all.
        Malformed,
        // A newer version in "data"; each reply names the next of the package URLs.
        Update,
    };

    struct Answer
    {
        Scenario scenario = Scenario::None;
        int errorcode = 1;
        QString version;
        int updateType = 0;
        int packType = 1;
        QString md5;
        QString updateMsg;
        // Absolute URLs, or paths on the plain HTTP port ("/packages/...").
        QJsonArray urls;
        // How long the service keeps the client waiting for this answer.
        int delayMs = 0;

        // The body of POST /control/version:
        // {"scenario":"none"}
        // {"scenario":"errorcode","errorcode":N}            N defaults to 1, never 0
        // {"scenario":"malformed"}
        // {"scenario":"update","version":"1.6.8.0","updateType":0|1|2,"packType":0|1,
        //  "md5":"...","updateMsg":"...","urls":["/packages/a.zip", ...]}
        // each with an optional "delayMs":MS (at most ten minutes) before the answer comes
        // Nothing when the body does not have that shape.
        static std::optional<Answer> fromControl(const QJsonObject& body);
    };

    void registerRoutes(ApiRouter& router);
    // Relative package URLs are answered on this base ("http://host:port").
    void setPackageBase(const std::string& base);
    // Holds for every later request until the next choice, which starts the URLs over.
    void choose(const Answer& answer);

private:
    void handleVersion(const httplib::Request& request, httplib::Response& response);
    QJsonObject updateData(const Answer& answer, int replyIndex) const;

    mutable std::mutex m_mutex;
    Answer m_answer;
    int m_replies = 0;
    QString m_packageBase;
};

} // namespace zovservice
