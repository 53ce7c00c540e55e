#pragma once

#include "core/LogEntry.h"
#include "core/LogLineFormatter.h"

#include <QString>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace zov {
namespace log {

// The queue between the tracing threads and the log file. Tracing threads only append
// under a short lock; a writer thread empties the queue into the file every 100 ms.
// Whoever writes holds the file lock from taking entries to writing them, which keeps
// the file in trace order when flush() or a fatal entry writes from another thread.
class ZovLogPrivate
{
public:
    ZovLogPrivate();
    ZovLogPrivate(const ZovLogPrivate&) = delete;
    ZovLogPrivate& operator=(const ZovLogPrivate&) = delete;

    bool openFile(const QString& path);
    QString filePath() const;

    // Fatal entries and everything after shutdown() are written before this returns.
    void append(LogEntry&& entry, bool writeNow);
    void writePending();
    // Stops the writer thread after writing what is pending; later entries are written
    // synchronously.
    void shutdown();

private:
    void runWriter();
    void writeEntries(const std::deque<LogEntry>& entries);

    std::mutex m_queueMutex;
    std::condition_variable m_wake;
    std::deque<LogEntry> m_queue;
    bool m_hasFile = false;
    bool m_stopping = false;

    mutable std::mutex m_fileMutex;
    std::FILE* m_file = nullptr;
    QString m_path;
    LogLineFormatter m_formatter;

    std::thread m_writer;
};

} // namespace log
} // namespace zov
