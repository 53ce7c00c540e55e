#pragma once

#include <httplib.h>

namespace zovservice {

class FaultInjector;
class RequestStats;

// Endpoints for tests, under "/control/": arming faults and reading request counts.
// They are never faulted or counted themselves.
class ControlApi
{
public:
    ControlApi(FaultInjector& faults, const RequestStats& stats);

    void registerRoutes(httplib::Server& server);

private:
    void handleFaults(const httplib::Request& request, httplib::Response& response);
    void handleStats(const httplib::Request& request, httplib::Response& response) const;

    FaultInjector& m_faults;
    const RequestStats& m_stats;
};

} // namespace zovservice
