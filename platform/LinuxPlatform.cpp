#include "platform/LinuxPlatform.h"

#include "platform/LinuxProcessTable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <algorithm>

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zov {
namespace platform {

namespace {

Q_LOGGING_CATEGORY(lcPlatform, "zov.platform")

const QString kRegistryOrganization = QStringLiteral("zov");
const QString kRegistryApplication = QStringLiteral("registry");
// How long a killed helper may take to disappear before we stop waiting for it.
const int kKillWaitMs = 2000;
const int kKillPollMs = 10;

QByteArray readProcFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// "MemTotal:       16318712 kB" gives 16318712 * 1024.
quint64 meminfoBytes(const QByteArray& line)
{
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 2)
        return 0;
    const quint64 value = fields.at(1).toULongLong();
    const bool inKilobytes = fields.size() > 2 && fields.at(2) == "kB";
    return inKilobytes ? value * 1024 : value;
}

QString processImageName(const QString& imageName)
{
    const QString suffix = QStringLiteral(".exe");
    if (imageName.endsWith(suffix, Qt::CaseInsensitive))
        return imageName.left(imageName.size() - suffix.size());
    return imageName;
}

QList<qint64> ourProcessesNamed(const QString& name)
{
    const LinuxProcessTable table = LinuxProcessTable::snapshot();
    QList<qint64> matches;
    const QList<qint64> descendants = table.descendantsOf(::getpid());
    for (qint64 pid : descendants) {
        if (table.info(pid).name == name || LinuxProcessTable::executableName(pid) == name)
            matches.append(pid);
    }
    return matches;
}

void waitUntilGone(QList<qint64> pids)
{
    const QDeadlineTimer deadline(kKillWaitMs);
    while (!pids.isEmpty() && !deadline.hasExpired()) {
        pids.erase(std::remove_if(pids.begin(), pids.end(),
                       [](qint64 pid) { return !LinuxProcessTable::isRunning(pid); }),
            pids.end());
        if (!pids.isEmpty())
            QThread::msleep(kKillPollMs);
    }
    if (!pids.isEmpty())
        qCWarning(lcPlatform) << "processes still running after kill:" << pids;
}

} // namespace

bool LinuxPlatform::setDpiAwareness(int level)
{
    qCDebug(lcPlatform) << "DPI awareness" << level
                        << "needs no call here: the desktop reports scaling to Qt itself";
    return true;
}

bool LinuxPlatform::setCurrentDirectory(const QString& path)
{
    return QDir::setCurrent(path);
}

QString LinuxPlatform::executablePath() const
{
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

MemoryStatus LinuxPlatform::memoryStatus() const
{
    return parseMeminfo(readProcFile(QStringLiteral("/proc/meminfo")));
}

QSize LinuxPlatform::primaryScreenSize() const
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QSize(0, 0);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(0, 0);
    // Callers compare against device pixels, as the Windows metrics report them.
    return screen->geometry().size() * screen->devicePixelRatio();
}

QVariant LinuxPlatform::readRegistry(
    const QString& key, const QString& name, const QVariant& defaultValue) const
{
    QSettings settings(
        QSettings::NativeFormat, QSettings::UserScope, kRegistryOrganization, kRegistryApplication);
    settings.beginGroup(registryGroup(key));
    return settings.value(name, defaultValue);
}

bool LinuxPlatform::writeRegistry(const QString& key, const QString& name, const QVariant& value)
{
    QSettings settings(
        QSettings::NativeFormat, QSettings::UserScope, kRegistryOrganization, kRegistryApplication);
    settings.beginGroup(registryGroup(key));
    settings.setValue(name, value);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString LinuxPlatform::processorQueryOutput() const
{
    return processorListFromCpuinfo(readProcFile(QStringLiteral("/proc/cpuinfo")));
}

void LinuxPlatform::killProcessesByImageName(const QString& imageName)
{
    // Only our own descendants: on a shared desktop another user's or another
    // program's curl is none of our business, unlike on the Windows seat.
    const QList<qint64> targets = ourProcessesNamed(processImageName(imageName));
    for (qint64 pid : targets) {
        qCInfo(lcPlatform) << "killing" << imageName << "pid" << pid;
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    waitUntilGone(targets);
}

// The shared temporary folder is anyone's: our folder in it is made 0700 and then checked,
// without following a link, to be a folder of ours that nobody else can enter.
QString LinuxPlatform::privateTempFolder() const
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation)
        + QStringLiteral("/zov-") + QString::number(getuid());
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    struct stat info;
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()
        || (info.st_mode & 077) != 0) {
        qWarning().noquote() << "LinuxPlatform::privateTempFolder() refused" << folder;
        return QString();
    }
    return folder;
}

bool LinuxPlatform::openRestartProgram(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), QStringList(), info.absolutePath());
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

MemoryStatus LinuxPlatform::parseMeminfo(const QByteArray& meminfo)
{
    MemoryStatus status;
    const QList<QByteArray> lines = meminfo.split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("MemTotal:"))
            status.totalBytes = meminfoBytes(line);
        else if (line.startsWith("MemAvailable:"))
            status.availableBytes = meminfoBytes(line);
    }
    return status;
}

QString LinuxPlatform::processorListFromCpuinfo(const QByteArray& cpuinfo)
{
    // cpuinfo repeats the model for every logical processor, while the Windows tool
    // lists each distinct processor once; callers read the lines the Windows way.
    QStringList names;
    const QList<QByteArray> lines = cpuinfo.split('\n');
    for (const QByteArray& line : lines) {
        const int colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed() != "model name")
            continue;
        const QString name = QString::fromUtf8(line.mid(colon + 1).trimmed());
        if (!names.contains(name))
            names.append(name);
    }
    names.prepend(QStringLiteral("Name"));
    const QString lineEnd = QStringLiteral("\r\n");
    return names.join(lineEnd) + lineEnd;
}

QString LinuxPlatform::registryGroup(const QString& key)
{
    QString group = key;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

} // namespace platform
} // namespace zov
