#include "core/ZovLogPrivate.h"

#include <QFile>

#include <chrono>

namespace zov {
namespace log {

namespace {

const auto kWriteInterval = std::chrono::milliseconds(100);
// Without a file nothing is written; keep the newest lines only.
const size_t kMaxUnwrittenEntries = 10000;
// Waking the writer at this size keeps a burst of lines from piling up in memory.
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
        for (const std::string& line : m_unwritten)
            m_pending += line;
        m_unwritten.clear();
    }
    writePending();
    return true;
}

QString ZovLogPrivate::filePath() const
{
    std::lock_guard<std::mutex> lock(m_fileMutex);
    return m_path;
}

void ZovLogPrivate::append(const LogEntry& entry, bool writeNow)
{
    bool chunkReady = false;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_hasFile)
            m_formatter.append(entry, m_pending);
        else
            keepUnwritten(entry);
        writeNow = writeNow || m_stopping;
        chunkReady = m_pending.size() >= kWriteChunkBytes;
    }
    if (writeNow)
        writePending();
    else if (chunkReady)
        m_wake.notify_one();
}

void ZovLogPrivate::writePending()
{
    std::lock_guard<std::mutex> fileLock(m_fileMutex);
    if (!m_file)
        return;
    {
        std::lock_guard<std::mutex> queueLock(m_queueMutex);
        m_writing.swap(m_pending);
    }
    if (m_writing.empty())
        return;
    std::fwrite(m_writing.data(), 1, m_writing.size(), m_file);
    std::fflush(m_file);
    m_writing.clear();
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
        m_wake.wait_for(lock, kWriteInterval,
            [this] { return m_stopping || m_pending.size() >= kWriteChunkBytes; });
        lock.unlock();
        writePending();
        lock.lock();
    }
}

void ZovLogPrivate::keepUnwritten(const LogEntry& entry)
{
    std::string line;
    m_formatter.append(entry, line);
    m_unwritten.push_back(std::move(line));
    if (m_unwritten.size() > kMaxUnwrittenEntries)
        m_unwritten.pop_front();
}

} // namespace log
} // namespace zov
