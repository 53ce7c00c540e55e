#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zovservice {

// A program the service runs and waits for, polled so that the wait can keep its own
// deadline. The child shares the service's standard error but not its standard output,
// which carries the service's announcements. It takes none of the service's signal
// settings and dies with the service, so a killed service leaves nothing running behind.
class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills a child still running.
    ~ChildProcess();

    // arguments[0] is looked up on PATH.
    bool start(const std::vector<std::string>& arguments);
    // Does not block; true once the child has ended.
    bool hasEnded();
    // How the ended child went, in words: empty for exit status 0.
    std::string failure() const;
    void kill();

private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_ended = false;
};

} // namespace zovservice
