#include "service/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zovservice {

FileLock::FileLock(std::string path)
    : m_path(std::move(path))
{ }

FileLock::~FileLock()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

bool FileLock::open()
{
    if (m_descriptor < 0)
        m_descriptor = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return m_descriptor >= 0;
}

bool FileLock::tryAcquire()
{
    return m_descriptor >= 0 && flock(m_descriptor, LOCK_EX | LOCK_NB) == 0;
}

} // namespace zovservice
