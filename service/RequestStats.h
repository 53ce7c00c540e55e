#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

namespace zovservice {

// How many requests arrived on each path, faulted ones included, and over how many
// connections, so that tests can see how often a client called (or retried) an address
// and whether it kept its connections.
class RequestStats
{
public:
    void record(const std::string& path, int clientPort);
    int count(const std::string& path) const;
    // Connections are told apart by the client's port.
    int connections(const std::string& path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, int> m_counts;
    std::map<std::string, std::set<int>> m_clientPorts;
};

} // namespace zovservice
