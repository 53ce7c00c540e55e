#include "replay/ReplayInfo.h"

#include "app/Context.h"

#include <QJsonDocument>

std::optional<ReplayInfo> ReplayInfo::fromReply(
    bool ok, const QJsonObject& reply, const QString& transportError, QString& failureText)
{
    const QJsonObject data = reply.value(QStringLiteral("data")).toObject();
    const QJsonValue configs = data.value(QStringLiteral("configs"));
    // A reply the service marks as failed, or one without the video, is a failure too.
    if (!ok || reply.value(QStringLiteral("code")).toInt(0) != 0 || !configs.isObject()) {
        failureText = reply.value(QStringLiteral("msg")).toString();
        if (failureText.isEmpty())
            failureText = QStringLiteral("获取回放信息失败：%1").arg(transportError);
        return std::nullopt;
    }
    ReplayInfo info;
    const QJsonObject video = configs.toObject();
    info.videoPaths = joinedPaths(video.value(QStringLiteral("videoPath")).toArray(),
        video.value(QStringLiteral("videoFile")).toString());
    info.appId = video.value(QStringLiteral("appId")).toString();
    info.appKey = video.value(QStringLiteral("appKey")).toString();
    const QJsonObject psim
        = data.value(QStringLiteral("stuInfo")).toObject().value(QStringLiteral("psim")).toObject();
    info.psId = psim.value(QStringLiteral("psId")).toString();
    info.psPwd = psim.value(QStringLiteral("psPwd")).toString();
    const QJsonObject plan = data.value(QStringLiteral("planInfo")).toObject();
    info.planId = plan.value(QStringLiteral("id")).toString();
    info.planName = plan.value(QStringLiteral("name")).toString();
    info.replaySize = plan.value(QStringLiteral("replay_size")).toInt();
    info.videoTime = data.value(QStringLiteral("videoTime")).toArray();
    const QJsonValue replayData = data.value(QStringLiteral("replayData"));
    if (replayData.isArray())
        info.replayData = replayData.toArray();
    return info;
}

QByteArray ReplayInfo::requestBody(const QJsonValue& planId, const QJsonValue& coursewareType)
{
    // 5 is the service's business number for lesson replays.
    QJsonObject body { { QStringLiteral("bizId"), 5 }, { QStringLiteral("planId"), planId } };
    if (!coursewareType.isUndefined())
        body.insert(QStringLiteral("courseware_type"), coursewareType);
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QStringList ReplayInfo::joinedPaths(const QJsonArray& hosts, const QString& file)
{
    QStringList paths;
    for (const QJsonValue& host : hosts)
        paths.append(host.toString() + file);
    return paths;
}

void ReplayInfo::storeIn(ContextData& context) const
{
    context.replayVideoPaths = videoPaths;
    context.replayAppId = appId;
    context.replayAppKey = appKey;
    context.replayPsId = psId;
    context.replayPsPwd = psPwd;
    context.replayPlanId = planId;
    context.replayPlanName = planName;
    context.replaySize = replaySize;
    context.replayVideoTime = videoTime;
}
