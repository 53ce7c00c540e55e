#include "platform/LinuxProcessTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zov {
namespace platform {

namespace {

QString procPath(qint64 pid, const char* entry)
{
    return QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry));
}

bool readProcessInfo(qint64 pid, LinuxProcessInfo* info)
{
    QFile file(procPath(pid, "stat"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return LinuxProcessTable::parseStat(file.readAll(), info);
}

} // namespace

LinuxProcessTable LinuxProcessTable::snapshot()
{
    LinuxProcessTable table;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        LinuxProcessInfo info;
        if (isPid && readProcessInfo(pid, &info))
            table.m_processes.insert(pid, info);
    }
    return table;
}

bool LinuxProcessTable::parseStat(const QByteArray& stat, LinuxProcessInfo* info)
{
    // The name sits in parentheses and may itself hold blanks and parentheses, so
    // the fields after it are found from the last closing parenthesis.
    const int open = stat.indexOf('(');
    const int close = stat.lastIndexOf(')');
    if (open < 1 || close < open)
        return false;
    const QList<QByteArray> rest = stat.mid(close + 1).simplified().split(' ');
    if (rest.size() < 2 || rest.at(0).size() != 1)
        return false;
    bool pidOk = false;
    bool parentOk = false;
    info->pid = stat.left(open).trimmed().toLongLong(&pidOk);
    info->parentPid = rest.at(1).toLongLong(&parentOk);
    info->name = QString::fromUtf8(stat.mid(open + 1, close - open - 1));
    info->state = rest.at(0).at(0);
    return pidOk && parentOk;
}

QString LinuxProcessTable::executableName(qint64 pid)
{
    const QString target = QFile::symLinkTarget(procPath(pid, "exe"));
    return target.isEmpty() ? QString() : QFileInfo(target).fileName();
}

bool LinuxProcessTable::isRunning(qint64 pid)
{
    LinuxProcessInfo info;
    if (!readProcessInfo(pid, &info))
        return false;
    return info.state != 'Z' && info.state != 'X';
}

bool LinuxProcessTable::isDescendant(qint64 pid, qint64 ancestor) const
{
    // Bounded by the table size: a snapshot taken while processes come and go can
    // hold a stale parent link that loops.
    qint64 current = pid;
    for (int steps = 0; steps <= m_processes.size(); ++steps) {
        const auto found = m_processes.constFind(current);
        if (found == m_processes.constEnd() || found->parentPid <= 0)
            return false;
        if (found->parentPid == ancestor)
            return true;
        current = found->parentPid;
    }
    return false;
}

QList<qint64> LinuxProcessTable::descendantsOf(qint64 ancestor) const
{
    QList<qint64> result;
    for (auto it = m_processes.constBegin(); it != m_processes.constEnd(); ++it) {
        if (isDescendant(it.key(), ancestor))
            result.append(it.key());
    }
    return result;
}

} // namespace platform
} // namespace zov
