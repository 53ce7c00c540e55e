#pragma once

#include <httplib.h>

#include <QJsonObject>

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

    ConfigApi(std::string host, int apiPort, int webPort);

    void registerRoutes(ApiRouter& router) const;

private:
    QJsonObject configuration() const;
    void handleInit(const httplib::Request& request, httplib::Response& response) const;

    std::string m_host;
    int m_apiPort;
    int m_webPort;
};

} // namespace zovservice
