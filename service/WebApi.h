#pragma once

#include "service/LessonCatalog.h"

#include <httplib.h>

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace zovservice {

class ApiRouter;

// The APIs of the demo pages, on the plain HTTP port beside them: the embedded browser
// does not trust the service's own certificate authority, and same-origin requests need
// no cross-origin headers.
class WebApi
{
public:
    static constexpr const char* loginPath = "/web/api/login";
    static constexpr const char* lessonsPath = "/web/api/lessons";

    // replayHosts: where the finished lessons' video is served from.
    explicit WebApi(const QStringList& replayHosts);

    void registerRoutes(ApiRouter& router) const;

private:
    void handleLogin(const httplib::Request& request, httplib::Response& response) const;
    void handleLessons(const httplib::Request& request, httplib::Response& response) const;
    static QJsonObject session(const QString& account);
    static QString userIdOf(const QString& account);

    LessonCatalog m_lessons;
};

} // namespace zovservice
