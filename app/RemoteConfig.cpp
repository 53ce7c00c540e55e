#include "app/RemoteConfig.h"

#include "app/Context.h"

#include <QHash>
#include <QJsonArray>
#include <QStringList>

namespace {

// Collects "name" -> "url" for the names asked for; unknown names are ignored.
QHash<QString, QString> namedUrls(const QJsonArray& list, const QStringList& names)
{
    QHash<QString, QString> urls;
    for (const QJsonValue& element : list) {
        const QJsonObject entry = element.toObject();
        const QString name = entry.value(QStringLiteral("name")).toString();
        if (names.contains(name))
            urls.insert(name, entry.value(QStringLiteral("url")).toString());
    }
    return urls;
}

const QStringList& h5Names()
{
    static const QStringList names {
        QStringLiteral("loginUrl"),
        QStringLiteral("coursewareUrl"),
        QStringLiteral("useragreementUrl"),
        QStringLiteral("privacyagreementUrl"),
        QStringLiteral("videoPlayerUrl"),
        QStringLiteral("audioPlayerUrl"),
        QStringLiteral("evaluationUrl"),
    };
    return names;
}

const QStringList& rdNames()
{
    static const QStringList names {
        QStringLiteral("startCourseUrl"),
        QStringLiteral("endCourseUrl"),
        QStringLiteral("courseInfoUrl"),
        QStringLiteral("startSingleVideoUrl"),
        QStringLiteral("endSingleVideoUrl"),
        QStringLiteral("startMuxVideoUrl"),
        QStringLiteral("endMuxVideoUrl"),
        QStringLiteral("saveNoteImageUrl"),
        QStringLiteral("saveNoteImageNumUrl"),
        QStringLiteral("getCoursewareUrl"),
        QStringLiteral("getCourseStateUrl"),
        QStringLiteral("saveMaidianUrl"),
        QStringLiteral("pauseOrContinueUrl"),
        QStringLiteral("getUploadConfigUrl"),
        QStringLiteral("getOlMaidianUrl"),
        QStringLiteral("getDeviceScore"),
    };
    return names;
}

} // namespace

bool applyRemoteConfig(const QJsonObject& reply, ContextData& data)
{
    if (!reply.contains(QStringLiteral("data")))
        return false;

    const QJsonObject payload = reply.value(QStringLiteral("data")).toObject();
    const QJsonArray rdList = payload.value(QStringLiteral("rdUrlList")).toArray();
    const QHash<QString, QString> h5
        = namedUrls(payload.value(QStringLiteral("h5UrlList")).toArray(), h5Names());
    const QHash<QString, QString> rd = namedUrls(rdList, rdNames());

    data.host = payload.value(QStringLiteral("host")).toString();
    data.loginUrl = h5.value(QStringLiteral("loginUrl"));
    data.useragreementUrl = h5.value(QStringLiteral("useragreementUrl"));
    data.privacyagreementUrl = h5.value(QStringLiteral("privacyagreementUrl"));
    data.coursewareUrl = h5.value(QStringLiteral("coursewareUrl"));
    data.audioPlayerUrl = h5.value(QStringLiteral("audioPlayerUrl"));
    data.videoPlayerUrl = h5.value(QStringLiteral("videoPlayerUrl"));
    data.evaluationUrl = h5.value(QStringLiteral("evaluationUrl"));

    data.courseInfoUrl = rd.value(QStringLiteral("courseInfoUrl"));
    data.startSingleVideoUrl = rd.value(QStringLiteral("startSingleVideoUrl"));
    data.endSingleVideoUrl = rd.value(QStringLiteral("endSingleVideoUrl"));
    data.startMuxVideoUrl = rd.value(QStringLiteral("startMuxVideoUrl"));
    data.endMuxVideoUrl = rd.value(QStringLiteral("endMuxVideoUrl"));
    data.startCourseUrl = rd.value(QStringLiteral("startCourseUrl"));
    data.endCourseUrl = rd.value(QStringLiteral("endCourseUrl"));
    data.saveNoteImageUrl = rd.value(QStringLiteral("saveNoteImageUrl"));
    data.saveNoteImageNumUrl = rd.value(QStringLiteral("saveNoteImageNumUrl"));
    data.getCoursewareUrl = rd.value(QStringLiteral("getCoursewareUrl"));
    data.getCourseStateUrl = rd.value(QStringLiteral("getCourseStateUrl"));
    data.saveMaidianUrl = rd.value(QStringLiteral("saveMaidianUrl"));
    data.pauseOrContinueUrl = rd.value(QStringLiteral("pauseOrContinueUrl"));
    data.getUploadConfigUrl = rd.value(QStringLiteral("getUploadConfigUrl"));
    data.getOlMaidianUrl = rd.value(QStringLiteral("getOlMaidianUrl"));
    data.getDeviceScore = rd.value(QStringLiteral("getDeviceScore"));
    data.rdUrlList = rdList;
    return true;
}
