#pragma once

#include <httplib.h>

#include <QJsonObject>

#include <mutex>
#include <string>

namespace zovservice {

class ApiRouter;

// The remote configuration request: the table of named service addresses a client
// fetches at start. Every address points back at this service, pages at the plain
// HTTP port and APIs at the HTTPS one.
class ConfigApi
{
public:
    static constexpr const char* path = "/olbusiness/api/course/init";

    explicit ConfigApi(std::string host);

    // The ports are known once the servers are bound.
    void setPorts(int apiPort, int webPort);
    void registerRoutes(ApiRouter& router) const;
    // Points "loginUrl" at another page of the www folder, so that a test can start the
    // client on a page of its own; an empty path restores the log-in page.
    void setLoginPath(const std::string& path);

private:
    QJsonObject configuration() const;
    void handleInit(const httplib::Request& request, httplib::Response& response) const;

    std::string m_host;
    int m_apiPort = 0;
    int m_webPort = 0;
    mutable std::mutex m_mutex;
    std::string m_loginPath;
};

} // namespace zovservice
