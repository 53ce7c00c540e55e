#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

struct ContextData;

// What the service's replay information tells about one recorded lesson: the video's
// addresses, what the player signs in with, the lesson's clock and its whiteboard files.
struct ReplayInfo
{
    QStringList videoPaths;
    QString appId;
    QString appKey;
    QString psId;
    QString psPwd;
    QString planId;
    QString planName;
    int replaySize = 0;
    QJsonArray videoTime;
    // The whiteboard data files, when the reply lists any.
    std::optional<QJsonArray> replayData;

    // Nothing when the request failed, the service said no, or the reply lacks the
    // video's "configs"; failureText then holds what to tell the student.
    static std::optional<ReplayInfo> fromReply(
        bool ok, const QJsonObject& reply, const QString& transportError, QString& failureText);
    // The replay information is asked for with a short time-out: a student is waiting.
    static constexpr int requestTimeoutMs = 5000;
    // The request's body for a lesson; a courseware type is sent only when given.
    static QByteArray requestBody(
        const QJsonValue& planId, const QJsonValue& coursewareType = QJsonValue::Undefined);
    // One full address per host: the host followed by the file.
    static QStringList joinedPaths(const QJsonArray& hosts, const QString& file);

    void storeIn(ContextData& context) const;
};
