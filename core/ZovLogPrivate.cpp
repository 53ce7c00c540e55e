#include "core/ZovLogPrivate.h"

#include <QFile>

#include <chrono>

namespace zov {
namespace log {

namespace {

const auto kWriteInterval = std::chrono::milliseconds(100);
// Without a file nobody empties the queue; keep the newest lines only.
const size_t kMaxUnwrittenEntries = 10000;
const size_t kWriteChunkBytes = 256 * 1024;

} // namespace

ZovLogPrivate::ZovLogPrivate()
    : m_writer(&ZovLogPrivate::runWriter, this)
{ }

bool ZovLogPrivate::openFile(const QString& path)
{
    {
        std::lock_guard<std::mutex> fileLock(m_fileMutex);
        std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "ab");
        if (!file)
            return false;
        if (m_file)
            std::fclose(m_file);
        m_file = file;
        m_path = path;
        std::lock_guard<std::mutex> queueLock(m_queueMutex);
        m_hasFile = true;
    }
    writePending();
    return true;
}

QString ZovLogPrivate::filePath() const
{
    std::lock_guard<std::mutex> lock(m_fileMutex);
    return m_path;
}

void ZovLogPrivate::append(LogEntry&& entry, bool writeNow)
{
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_queue.push_back(std::move(entry));
        if (!m_hasFile && m_queue.size() > kMaxUnwrittenEntries)
            m_queue.pop_front();
        writeNow = writeNow || m_stopping;
    }
    if (writeNow)
        writePending();
}

void ZovLogPrivate::writePending()
{
    std::lock_guard<std::mutex> fileLock(m_fileMutex);
    if (!m_file)
        return;
    std::deque<LogEntry> entries;
    {
        std::lock_guard<std::mutex> queueLock(m_queueMutex);
        entries.swap(m_queue);
    }
    writeEntries(entries);
}

void ZovLogPrivate::shutdown()
{
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_writer.joinable())
        m_writer.join();
    writePending();
}

void ZovLogPrivate::runWriter()
{
    std::unique_lock<std::mutex> lock(m_queueMutex);
    while (!m_stopping) {
        m_wake.wait_for(lock, kWriteInterval, [this] { return m_stopping; });
        lock.unlock();
        writePending();
        lock.lock();
    }
}

void ZovLogPrivate::writeEntries(const std::deque<LogEntry>& entries)
{
    if (entries.empty())
        return;
    std::string chunk;
    chunk.reserve(kWriteChunkBytes + 1024);
    for (const LogEntry& entry : entries) {
        m_formatter.append(entry, chunk);
        if (chunk.size() >= kWriteChunkBytes) {
            std::fwrite(chunk.data(), 1, chunk.size(), m_file);
            chunk.clear();
        }
    }
    std::fwrite(chunk.data(), 1, chunk.size(), m_file);
    std::fflush(m_file);
}

} // namespace log
} // namespace zov
