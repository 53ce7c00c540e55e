#pragma once

#include <QtGlobal>

#include <string>

namespace zov {
namespace log {

// One traced line as the caller handed it over: text already formatted and followed by
// its source position; the time stamp is turned into text by the writer thread.
struct LogEntry
{
    qint64 msecsSinceEpoch = 0;
    qint64 threadId = 0;
    std::string text;
};

} // namespace log
} // namespace zov
