#include "app/VersionFolders.h"

#include "platform/Platform.h"

#include <QDebug>
#include <QDir>

namespace {

constexpr int kVersionParts = 4;

QStringList versionParts(const QString& folderName)
{
    return folderName.split(QLatin1Char('.'), Qt::SkipEmptyParts);
}

QStringList olderVersionFolders(const QString& launcherDir, const QString& current)
{
    const QStringList currentParts = versionParts(current);
    QStringList older;
    const QStringList names
        = QDir(launcherDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& name : names) {
        if (name.toLower() == current.toLower())
            continue;
        const QStringList parts = versionParts(name);
        if (parts.size() == kVersionParts && versionGreater(currentParts, parts))
            older.append(launcherDir + QLatin1Char('/') + name);
    }
    return older;
}

} // namespace

bool versionGreater(const QStringList& a, const QStringList& b)
{
    if (a.size() != kVersionParts || b.size() != kVersionParts)
        return false;
    for (int i = 0; i < kVersionParts; ++i) {
        const int left = a.at(i).toInt();
        const int right = b.at(i).toInt();
        if (left != right)
            return left > right;
    }
    return false;
}

void clearOldVersionsFor(const QString& exePath)
{
    const int exeSlash = exePath.lastIndexOf(QLatin1Char('/'));
    if (exeSlash < 0)
        return;
    const QString versionDir = exePath.left(exeSlash);
    const int versionSlash = versionDir.lastIndexOf(QLatin1Char('/'));
    if (versionSlash < 0)
        return;
    const QString launcherDir = versionDir.left(versionSlash);
    qDebug().noquote() << "[QM] launcher path ==> " << launcherDir;
    const QString current = versionDir.mid(versionSlash + 1);
    qDebug().noquote() << "[QM] current version folder name ==> " << current;

    const QStringList older = olderVersionFolders(launcherDir, current);
    qDebug() << "[QM] clear old version files --> begin";
    for (const QString& folder : older) {
        qDebug().noquote() << "[QM] rm ==> " << folder;
        QDir(folder).removeRecursively();
    }
    qDebug() << "[QM] clear old version files <-- end";
}

void clearOldVersions()
{
    QString exePath = zov::platform::Platform::instance().executablePath();
    exePath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    clearOldVersionsFor(exePath);
}
