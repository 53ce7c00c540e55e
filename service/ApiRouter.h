#pragma once

#include <httplib.h>

#include <string>

namespace zovservice {

class FaultInjector;
class RequestLog;

// Registers API handlers so that every request on them is logged with its body and, when
// the router has a fault injector, may be faulted. This happens inside the handler, once
// cpp-httplib has read the whole body: answering earlier would leave the body unread on a
// kept-alive connection.
class ApiRouter
{
public:
    // Without faults the routes always answer: the pages' own APIs must not take a fault
    // that a test armed for the client.
    ApiRouter(httplib::Server& server, RequestLog& log, FaultInjector* faults = nullptr);

    void get(const std::string& pattern, httplib::Server::Handler handler);
    void post(const std::string& pattern, httplib::Server::Handler handler);
    // Answers every path not registered before with a JSON 404, faults included.
    void addFallback();

private:
    httplib::Server::Handler guarded(httplib::Server::Handler handler);

    httplib::Server& m_server;
    RequestLog& m_log;
    FaultInjector* m_faults;
};

} // namespace zovservice
