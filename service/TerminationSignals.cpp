#include "service/TerminationSignals.h"

#include <pthread.h>
#include <signal.h>

namespace zovservice {

namespace {

sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    signal(SIGPIPE, SIG_IGN);
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int TerminationSignals::wait() const
{
    const sigset_t set = terminationSet();
    int received = 0;
    while (sigwait(&set, &received) != 0) { }
    return received;
}

bool TerminationSignals::pending()
{
    sigset_t arrived;
    sigemptyset(&arrived);
    sigpending(&arrived);
    return sigismember(&arrived, SIGINT) == 1 || sigismember(&arrived, SIGTERM) == 1;
}

} // namespace zovservice
