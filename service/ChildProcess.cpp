#include "service/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zovservice {

namespace {

// Between fork and exec only async-signal-safe calls: the arguments are ready beforehand.
[[noreturn]] void execute(const std::vector<char*>& argv)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing >= 0)
        dup2(nothing, STDIN_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
}

} // namespace

ChildProcess::~ChildProcess()
{
    kill();
}

bool ChildProcess::start(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    m_ended = false;
    m_pid = fork();
    if (m_pid == 0)
        execute(argv);
    return m_pid > 0;
}

bool ChildProcess::hasEnded()
{
    if (!m_ended && m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == m_pid)
        m_ended = true;
    return m_ended;
}

std::string ChildProcess::failure() const
{
    if (WIFSIGNALED(m_status))
        return "ended by signal " + std::to_string(WTERMSIG(m_status));
    const int code = WEXITSTATUS(m_status);
    if (code == 127)
        return "could not be run";
    return code == 0 ? std::string() : "exited with status " + std::to_string(code);
}

void ChildProcess::kill()
{
    if (m_pid <= 0 || m_ended)
        return;
    ::kill(m_pid, SIGKILL);
    waitpid(m_pid, &m_status, 0);
    m_ended = true;
}

} // namespace zovservice
