#include "service/RequestStats.h"

namespace zovservice {

void RequestStats::record(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[path];
}

int RequestStats::count(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_counts.find(path);
    return found == m_counts.end() ? 0 : found->second;
}

} // namespace zovservice
