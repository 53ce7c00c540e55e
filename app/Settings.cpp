#include "app/Settings.h"

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

QVariant readIni(const QString& path, const QString& group, const QString& key)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(group);
    QVariant value = settings.value(key);
    settings.endGroup();
    return value;
}

void writeIni(const QString& path, const QString& group, const QString& key, const QString& value)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
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
