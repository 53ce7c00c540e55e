#include "core/LogLineFormatter.h"

#include <charconv>
#include <cstring>
#include <ctime>

namespace zov {
namespace log {

namespace {

const char* baseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    const char* last = slash > backslash ? slash : backslash;
    return last ? last + 1 : path;
}

void appendPosition(std::string& out, const char* file, int line, const char* function)
{
    const bool hasFile = file && *file;
    const bool hasFunction = function && *function;
    if (!hasFile && !hasFunction)
        return;
    out += " (";
    if (hasFile) {
        out += baseName(file);
        out += ':';
        out += std::to_string(line);
        if (hasFunction)
            out += ", ";
    }
    if (hasFunction)
        out += function;
    out += ')';
}

} // namespace

void LogLineFormatter::append(const LogEntry& entry, std::string& out)
{
    // Tracing threads wait for each other while this runs, so no printf here.
    const int millis = static_cast<int>(entry.msecsSinceEpoch % 1000);
    const char millisText[] = { '.', char('0' + millis / 100), char('0' + millis / 10 % 10),
        char('0' + millis % 10), ' ', '[' };
    char threadText[24];
    char* threadEnd = std::to_chars(threadText, threadText + sizeof threadText, entry.threadId).ptr;
    out += secondText(entry.msecsSinceEpoch / 1000);
    out.append(millisText, sizeof millisText);
    out.append(threadText, threadEnd);
    out += "] ";
    out += entry.text;
    appendPosition(out, entry.file, entry.line, entry.function);
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
