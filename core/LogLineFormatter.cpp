#include "core/LogLineFormatter.h"

#include <cstdio>
#include <ctime>

namespace zov {
namespace log {

void LogLineFormatter::append(const LogEntry& entry, std::string& out)
{
    const qint64 seconds = entry.msecsSinceEpoch / 1000;
    char stamp[48];
    const int length = std::snprintf(stamp, sizeof stamp, ".%03d [%lld] ",
        static_cast<int>(entry.msecsSinceEpoch % 1000), static_cast<long long>(entry.threadId));
    out += secondText(seconds);
    out.append(stamp, static_cast<size_t>(length));
    out += entry.text;
    out += '\n';
}

const std::string& LogLineFormatter::secondText(qint64 secondsSinceEpoch)
{
    if (secondsSinceEpoch == m_second)
        return m_secondText;
    const std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local {};
    localtime_r(&time, &local);
    char text[32];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    m_secondText.assign(text, length);
    m_second = secondsSinceEpoch;
    return m_secondText;
}

} // namespace log
} // namespace zov
