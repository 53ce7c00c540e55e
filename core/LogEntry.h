#pragma once

#include <QtGlobal>

#include <string_view>

namespace zov {
namespace log {

// One traced line as the caller handed it over. The text is only borrowed: it is laid out
// into the log before trace() returns.
struct LogEntry
{
    qint64 msecsSinceEpoch = 0;
    qint64 threadId = 0;
    std::string_view text;
    const char* file = nullptr;
    int line = 0;
    const char* function = nullptr;
};

} // namespace log
} // namespace zov
