#include "service/RequestStats.h"

namespace zovservice {

void RequestStats::record(const std::string& path, int clientPort)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[path];
    m_clientPorts[path].insert(clientPort);
}

int RequestStats::count(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_counts.find(path);
    return found == m_counts.end() ? 0 : found->second;
}

int RequestStats::connections(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_clientPorts.find(path);
    return found == m_clientPorts.end() ? 0 : int(found->second.size());
}

} // namespace zovservice
