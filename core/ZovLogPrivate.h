#pragma once

#include "core/LogEntry.h"
#include "core/LogLineFormatter.h"

#include <QString>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace zov {
namespace log {

// The text between the tracing threads and the log file. Tracing threads lay their entry
// out at the end of the pending text under a short lock; a writer thread takes that text
// and writes it every 100 ms, or sooner once a chunk's worth has piled up. Whoever writes
// holds the file lock from taking the text to writing it, which keeps the file in trace
// order when flush() or a fatal entry writes from another thread.
class ZovLogPrivate
{
public:
    ZovLogPrivate();
    ZovLogPrivate(const ZovLogPrivate&) = delete;
    ZovLogPrivate& operator=(const ZovLogPrivate&) = delete;

    bool openFile(const QString& path);
    QString filePath() const;

    // Fatal entries and everything after shutdown() are written before this returns.
    void append(const LogEntry& entry, bool writeNow);
    void writePending();
    // Stops the writer thread after writing what is pending; later entries are written
    // synchronously.
    void shutdown();

private:
    void runWriter();
    void keepUnwritten(const LogEntry& entry);

    std::mutex m_queueMutex;
    std::condition_variable m_wake;
    // Lines traced before there is a file, each on its own so the oldest can be dropped.
    std::deque<std::string> m_unwritten;
    std::string m_pending;
    LogLineFormatter m_formatter;
    bool m_hasFile = false;
    bool m_stopping = false;

    mutable std::mutex m_fileMutex;
    std::FILE* m_file = nullptr;
    QString m_path;
    // Swapped with m_pending, so both keep their capacity from one write to the next.
    std::string m_writing;

    std::thread m_writer;
};

} // namespace log
} // namespace zov
