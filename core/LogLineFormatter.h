#pragma once

#include "core/LogEntry.h"

#include <string>

namespace zov {
namespace log {

// Lays out entries as "2026-12-06 08:33:52.123 [12345] Debug: text (main.cpp:42, main)".
// Breaking the local time down is the costly part, so the text of the current second
// is kept.
class LogLineFormatter
{
public:
    void append(const LogEntry& entry, std::string& out);

private:
    const std::string& secondText(qint64 secondsSinceEpoch);

    qint64 m_second = -1;
    std::string m_secondText;
};

} // namespace log
} // namespace zov
