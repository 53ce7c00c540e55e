#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// What the local service answers the program's version request with, for the update tests.
namespace updatereplies {

// The version the tested program runs before any update.
const QString kLocalVersion = QStringLiteral("1.6.7.0");
const QString kUpdateMessage = QStringLiteral("1. 回放支持倍速播放\n2. 修复上课时偶发的卡顿");
// The checksum of offers whose package is never fetched.
const QString kUnusedMd5 = QStringLiteral("0123456789abcdef0123456789abcdef");

// One of the service's fixed answers: "none", "errorcode" or "malformed".
inline QJsonObject scenario(const QString& name)
{
    return { { QStringLiteral("scenario"), name } };
}

// updateType: 0 silent, 1 optional, 2 forced; packType: 0 difference, 1 full package.
inline QJsonObject updateReply(const QString& version, int updateType, int packType,
    const QString& md5 = kUnusedMd5,
    const QJsonArray& urls = { QStringLiteral("/packages/unused.zip") })
{
    return { { QStringLiteral("scenario"), QStringLiteral("update") },
        { QStringLiteral("version"), version }, { QStringLiteral("updateType"), updateType },
        { QStringLiteral("packType"), packType }, { QStringLiteral("md5"), md5 },
        { QStringLiteral("updateMsg"), kUpdateMessage }, { QStringLiteral("urls"), urls } };
}

} // namespace updatereplies
