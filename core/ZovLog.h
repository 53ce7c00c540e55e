#pragma once

#include <QString>

namespace zov {
namespace log {

class ZovLogPrivate;

// Process-wide, thread-safe log writer. One file per run. Entries traced before
// setLogFileInfo are kept in memory and written as soon as the file is set.
// A background flusher writes pending entries at least every 100 ms, so a crash
// loses at most the last fraction of a second.
class ZovLog
{
public:
    static ZovLog* getInstance();

    // Returns false when the file cannot be created or opened for appending.
    bool setLogFileInfo(const QString& folder, const QString& fileName);
    QString logFilePath() const;

    // Appends one entry: time, thread id, level word taken from the text, source position.
    void trace(const char* file, int line, const char* function, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 5, 6)))
#endif
        ;

    // Writes everything pending to the file now.
    void flush();

private:
    ZovLog();
    ~ZovLog();
    ZovLog(const ZovLog&) = delete;
    ZovLog& operator=(const ZovLog&) = delete;

    ZovLogPrivate* d;
};

} // namespace log
} // namespace zov
