#include "update/PackageUnpacker.h"

#include "platform/ChildProcess.h"
#include "platform/Platform.h"
#include "update/UpdateBase.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

constexpr int kListTimeoutMs = 30000;
// Room left on the disk after unpacking, for the logs and settings of the next run.
constexpr qint64 kSpareBytes = 64LL * 1024 * 1024;

} // namespace

bool PackageUnpacker::unpackVersion(
    const QString& zipPath, const QString& installDir, const QString& version, QString& error)
{
    if (!fitsOnDisk(zipPath, installDir, error))
        return false;
    const QString staging = installDir + QStringLiteral("/.unpacking-") + version;
    UpdateBase::removeFileOrDir(staging);
    bool moved = false;
    if (!UpdateBase::unzip(zipPath, staging))
        error = QStringLiteral("the archive tool failed");
    else
        moved = moveVersionIntoPlace(staging, installDir, version, error);
    UpdateBase::removeFileOrDir(staging);
    return moved;
}

qint64 PackageUnpacker::unpackedSize(const QString& zipPath)
{
    const QString tool = zov::platform::Platform::findTool(QStringLiteral("7za.exe"));
    if (tool.isEmpty())
        return -1;
    zov::platform::ChildProcess lister(zov::platform::ChildProcess::Lifetime::EndsWithUs);
    if (!lister.runToEnd(
            tool, { QStringLiteral("l"), QStringLiteral("-slt"), zipPath }, kListTimeoutMs))
        return -1;
    // Each entry has a "Size = N" line; the archive itself is described by "Physical Size".
    qint64 total = 0;
    for (const QByteArray& line : lister.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Size = "))
            total += qMax(0LL, line.mid(7).trimmed().toLongLong());
    }
    return total;
}

bool PackageUnpacker::fitsOnDisk(const QString& zipPath, const QString& installDir, QString& error)
{
    const qint64 packed = QFileInfo(zipPath).size();
    const qint64 unpacked = unpackedSize(zipPath);
    const qint64 free = QStorageInfo(installDir).bytesAvailable();
    qInfo().noquote() << "PackageUnpacker: packed" << packed << "unpacked" << unpacked << "free"
                      << free;
    if (unpacked < 0)
        error = QStringLiteral("the package cannot be listed");
    else if (unpacked > qMax<qint64>(packed, 1) * mostExpansion)
        error = QStringLiteral("the package expands beyond any real one");
    else if (unpacked + kSpareBytes > free)
        error = QStringLiteral("not enough free disk space");
    return error.isEmpty();
}

bool PackageUnpacker::moveVersionIntoPlace(
    const QString& staging, const QString& installDir, const QString& version, QString& error)
{
    const QString unpacked = staging + QLatin1Char('/') + version;
    const QFileInfo program(unpacked + QLatin1Char('/')
        + zov::platform::Platform::programFileName(QStringLiteral("zovwx1v1_Student")));
    if (!program.isFile() || program.isSymLink()) {
        error = QStringLiteral("the package holds no program for version ") + version;
        return false;
    }
    const QString target = installDir + QLatin1Char('/') + version;
    UpdateBase::removeFileOrDir(target);
    if (!QDir().rename(unpacked, target)) {
        error = QStringLiteral("the version folder cannot be moved into place");
        return false;
    }
    return true;
}
