#pragma once

#include <QString>
#include <QStringList>

// What the last version replies said about the newest release and where the running
// installation lives. The manager keeps one and hands each download a copy.
struct UpdateInfo
{
    QString localVersion;
    QString newVersion;
    int newNumber = 0;
    // Grows with every reply that names a package, so a retry can use another host.
    QStringList urls;
    // 0 silent, 1 optional, 2 force.
    int updateType = 0;
    // "0" difference package, "1" full package.
    QString packType;
    QString updateMsg;
    QString installDir;
    QString fullMd5;
    QString diffMd5;
};
