#include "platform/ChildProcess.h"

#include <QCoreApplication>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif
#endif

namespace zov {
namespace platform {

ChildProcess::ChildProcess(Lifetime lifetime, QObject* parent)
    : QProcess(parent)
    , m_lifetime(lifetime)
    , m_parentId(QCoreApplication::applicationPid())
{ }

bool ChildProcess::runToEnd(const QString& program, const QStringList& arguments, int timeoutMs)
{
    start(program, arguments);
    if (!waitForFinished(timeoutMs)) {
        kill();
        waitForFinished();
        return false;
    }
    return exitStatus() == QProcess::NormalExit && exitCode() == 0;
}

// Runs in the child between fork and exec, where only async-signal-safe calls belong.
// Descriptors are marked close-on-exec rather than closed, so that QProcess still learns
// of a program that cannot be started.
void ChildProcess::setupChildProcess()
{
#ifdef Q_OS_LINUX
    if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        struct rlimit limit;
        const rlim_t last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
        for (rlim_t fd = 3; fd < last; ++fd)
            ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
    }
    if (m_lifetime == Lifetime::EndsWithUs) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // We may have gone before the request was made.
        if (::getppid() != pid_t(m_parentId))
            ::_exit(1);
    }
#endif
}

} // namespace platform
} // namespace zov
