#pragma once

#include <httplib.h>

#include <string>

namespace zovservice {

class FaultInjector;
class RequestStats;

// Registers API handlers so that every request on them is counted and may be faulted.
// This happens inside the handler, once cpp-httplib has read the whole body: answering
// earlier would leave the body unread on a kept-alive connection.
class ApiRouter
{
public:
    ApiRouter(httplib::Server& server, FaultInjector& faults, RequestStats& stats);

    void get(const std::string& pattern, httplib::Server::Handler handler);
    void post(const std::string& pattern, httplib::Server::Handler handler);
    // Answers every path not registered before with a JSON 404, faults included.
    void addFallback();

private:
    httplib::Server::Handler guarded(httplib::Server::Handler handler);

    httplib::Server& m_server;
    FaultInjector& m_faults;
    RequestStats& m_stats;
};

} // namespace zovservice
