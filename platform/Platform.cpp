#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include "platform/WindowsPlatform.h"
#else
#include "platform/LinuxPlatform.h"
#endif

namespace zov {
namespace platform {

namespace {

const QString kExeSuffix = QStringLiteral(".exe");

bool isRunnableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString withoutExeSuffix(const QString& name)
{
    if (name.endsWith(kExeSuffix, Qt::CaseInsensitive))
        return name.left(name.size() - kExeSuffix.size());
    return name;
}

} // namespace

Platform& Platform::instance()
{
#ifdef Q_OS_WIN
    static WindowsPlatform platform;
#else
    static LinuxPlatform platform;
#endif
    return platform;
}

QString Platform::programFileName(const QString& baseName)
{
#ifdef Q_OS_WIN
    return baseName + kExeSuffix;
#else
    return baseName;
#endif
}

QString Platform::findTool(const QString& windowsName)
{
    return findTool(windowsName, QCoreApplication::applicationDirPath());
}

QString Platform::findTool(const QString& windowsName, const QString& programFolder)
{
    const QString besideProgram = programFolder + QLatin1Char('/') + windowsName;
    if (isRunnableFile(besideProgram))
        return besideProgram;
    const QString plainName = withoutExeSuffix(windowsName);
    const QString plainBesideProgram = programFolder + QLatin1Char('/') + plainName;
    if (isRunnableFile(plainBesideProgram))
        return plainBesideProgram;
    return QStandardPaths::findExecutable(plainName);
}

} // namespace platform
} // namespace zov
