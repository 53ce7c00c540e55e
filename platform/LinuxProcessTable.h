#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace zov {
namespace platform {

struct LinuxProcessInfo
{
    qint64 pid = 0;
    qint64 parentPid = 0;
    // The kernel's short name (comm), at most 15 characters.
    QString name;
    char state = '?';
};

// A snapshot of the processes under /proc, enough to tell which of them descend
// from a given process.
class LinuxProcessTable
{
public:
    static LinuxProcessTable snapshot();

    // Reads "/proc/<pid>/stat" text; false when it is not in that form.
    static bool parseStat(const QByteArray& stat, LinuxProcessInfo* info);
    // File name of the program the process runs, empty when it cannot be seen.
    static QString executableName(qint64 pid);
    // True while the process exists and has not ended; a zombie has ended.
    static bool isRunning(qint64 pid);

    bool contains(qint64 pid) const { return m_processes.contains(pid); }
    LinuxProcessInfo info(qint64 pid) const { return m_processes.value(pid); }
    bool isDescendant(qint64 pid, qint64 ancestor) const;
    QList<qint64> descendantsOf(qint64 ancestor) const;

private:
    QHash<qint64, LinuxProcessInfo> m_processes;
};

} // namespace platform
} // namespace zov
