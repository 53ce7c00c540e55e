#include "app/Settings.h"

#include "app/Context.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString settingIniPath(const QString& homeDir)
{
    return homeDir + QStringLiteral("/setting.ini");
}

// The installed program keeps its INI files on a platform whose INI groups and keys
// ignore case, and one entry is written as "Privacy"/"Privacy" but read as
// "privacy"/"privacy". So an existing entry is found whatever its case, and a write
// replaces it under its existing spelling.
QString existingSpelling(const QStringList& names, const QString& wanted)
{
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return wanted;
}

QString entryPath(QSettings& settings, const QString& group, const QString& key)
{
    const QString groupName = existingSpelling(settings.childGroups(), group);
    settings.beginGroup(groupName);
    const QString keyName = existingSpelling(settings.childKeys(), key);
    settings.endGroup();
    return groupName + QLatin1Char('/') + keyName;
}

QVariant readIni(const QString& path, const QString& group, const QString& key)
{
    QSettings settings(path, QSettings::IniFormat);
    return settings.value(entryPath(settings, group, key));
}

void writeIni(const QString& path, const QString& group, const QString& key, const QString& value)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(entryPath(settings, group, key), value);
}

} // namespace

QString appFolderName()
{
    return QStringLiteral("zov_qm_student");
}

bool getHomeDir(QString& dir)
{
    dir = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    if (dir.isEmpty())
        return false;
    dir += QLatin1Char('/') + appFolderName();
    return QDir().mkpath(dir);
}

QVariant readSetting(const QString& group, const QString& key)
{
    if (group.isEmpty() || key.isEmpty())
        return QVariant();
    QString homeDir;
    if (!getHomeDir(homeDir))
        return QVariant(0);
    return readIni(settingIniPath(homeDir), group, key);
}

void writeSetting(const QString& group, const QString& key, const QString& value)
{
    if (group.isEmpty() || key.isEmpty())
        return;
    QString homeDir;
    if (!getHomeDir(homeDir)) {
        qWarning() << "[Settings][writeSetting] getHomeDir failed.";
        return;
    }
    writeIni(settingIniPath(homeDir), group, key, value);
}

QString configIniPath()
{
    QDir launcherDir(QCoreApplication::applicationDirPath());
    launcherDir.cdUp();
    return launcherDir.absoluteFilePath(QStringLiteral("config.ini"));
}

QVariant readConfigIni(const QString& group, const QString& key)
{
    if (group.isEmpty() || key.isEmpty())
        return QVariant();
    return readIni(configIniPath(), group, key);
}

void writeConfigIni(const QString& group, const QString& key, const QString& value)
{
    if (group.isEmpty() || key.isEmpty())
        return;
    writeIni(configIniPath(), group, key, value);
}

// One student's agreement is not another's: the marker lives in the user's own temporary
// folder. Without one, nobody has agreed.
QString agreementMarkerPath()
{
    const QString folder = zov::platform::Platform::instance().privateTempFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/zov-stu-agreed-file");
}

bool compareFileMd5(const QString& path, const QString& md5)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(&file);
    const QString computed = QString::fromLatin1(hash.result().toHex());
    qDebug().noquote() << QStringLiteral("[Utils][compareFileMd5] ") + computed
            + QStringLiteral("   ") + md5;
    return computed == md5;
}

bool playRestoreEnabled()
{
    return Context::instance()->data().playRestore
        || readSetting(QStringLiteral("enablePlayRestore"), QStringLiteral("isEnable")).toBool();
}
