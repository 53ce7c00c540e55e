#pragma once

#include <map>
#include <mutex>
#include <string>

namespace zovservice {

// How many requests arrived on each path, faulted ones included, so that tests can
// see how often a client called (or retried) an address.
class RequestStats
{
public:
    void record(const std::string& path);
    int count(const std::string& path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, int> m_counts;
};

} // namespace zovservice
