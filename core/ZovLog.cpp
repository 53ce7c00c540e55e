#include "core/ZovLog.h"

#include "core/ZovLogPrivate.h"

#include <QDir>
#include <QThread>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#if defined(Q_OS_LINUX)
#include <unistd.h>
#endif

namespace zov {
namespace log {

namespace {

const char kFatalPrefix[] = "Fatal: ";

qint64 nowMsecs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The kernel's thread id is what debuggers and top show; Qt's id is only an address.
qint64 currentThreadId()
{
#if defined(Q_OS_LINUX)
    thread_local const qint64 id = gettid();
#else
    thread_local const qint64 id = reinterpret_cast<qint64>(QThread::currentThreadId());
#endif
    return id;
}

void appendFormatted(std::string& out, const char* format, va_list args)
{
    char small[512];
    va_list retry;
    va_copy(retry, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    if (length < 0) {
        va_end(retry);
        return;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        out.assign(small, static_cast<size_t>(length));
    } else {
        out.resize(static_cast<size_t>(length));
        std::vsnprintf(&out[0], out.size() + 1, format, retry);
    }
    va_end(retry);
}

// The message handler hands over finished lines as "%s"; those are used where they are.
std::string_view formatText(const char* format, va_list args, std::string& storage)
{
    if (std::strcmp(format, "%s") == 0) {
        const char* text = va_arg(args, const char*);
        return text ? text : "(null)";
    }
    appendFormatted(storage, format, args);
    return storage;
}

} // namespace

ZovLog* ZovLog::getInstance()
{
    // Never destroyed: Qt's and the web engine's threads may still log while the process
    // exits. The exit handler writes what is pending and leaves later lines to be
    // written as they come.
    static ZovLog* const instance = [] {
        ZovLog* log = new ZovLog;
        std::atexit([] { getInstance()->d->shutdown(); });
        return log;
    }();
    return instance;
}

ZovLog::ZovLog()
    : d(new ZovLogPrivate)
{ }

ZovLog::~ZovLog()
{
    delete d;
}

bool ZovLog::setLogFileInfo(const QString& folder, const QString& fileName)
{
    return d->openFile(QDir(folder).filePath(fileName));
}

QString ZovLog::logFilePath() const
{
    return d->filePath();
}

void ZovLog::trace(const char* file, int line, const char* function, const char* format, ...)
{
    LogEntry entry;
    entry.msecsSinceEpoch = nowMsecs();
    entry.threadId = currentThreadId();
    entry.file = file;
    entry.line = line;
    entry.function = function;
    std::string formatted;
    va_list args;
    va_start(args, format);
    entry.text = formatText(format, args, formatted);
    va_end(args);
    const bool fatal = entry.text.compare(0, sizeof kFatalPrefix - 1, kFatalPrefix) == 0;
    d->append(entry, fatal);
}

void ZovLog::flush()
{
    d->writePending();
}

} // namespace log
} // namespace zov
