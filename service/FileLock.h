#pragma once

#include <string>

namespace zovservice {

// An exclusive flock on a file, held until the object goes. The descriptor is not inherited,
// so a child process cannot keep the lock past its owner.
class FileLock
{
public:
    explicit FileLock(std::string path);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Creates the file when it is missing.
    bool open();
    // Does not block: false while another process holds the lock.
    bool tryAcquire();

private:
    std::string m_path;
    int m_descriptor = -1;
};

} // namespace zovservice
