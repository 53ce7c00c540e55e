#pragma once

#include <QJsonArray>
#include <QObject>
#include <QString>
#include <QStringList>

// The values many parts of the program share: the service addresses from the remote
// configuration, the log-in values the web pages hand over, and the run's log file.
struct ContextData
{
    // From the remote configuration, in the order the service lists them.
    QString loginUrl;
    QString useragreementUrl;
    QString privacyagreementUrl;
    QString coursewareUrl;
    QString courseInfoUrl;
    QString startSingleVideoUrl;
    QString endSingleVideoUrl;
    QString startMuxVideoUrl;
    QString endMuxVideoUrl;
    QString startCourseUrl;
    QString endCourseUrl;
    QString saveNoteImageUrl;
    QString saveNoteImageNumUrl;
    QString getCoursewareUrl;
    QString getCourseStateUrl;
    QString saveMaidianUrl;
    QString pauseOrContinueUrl;
    QString audioPlayerUrl;
    QString videoPlayerUrl;
    QString getUploadConfigUrl;
    QString evaluationUrl;
    QString getOlMaidianUrl;
    QJsonArray rdUrlList;
    QString getDeviceScore;
    QString host;

    QString logFileName;
    bool playRestore = false;
    bool dpi = false;

    // Handed over by the web page when the student logs in.
    QString token;
    QString uid;
    int userId = 0;
    QString oltoken;

    // The recorded lesson being watched, from the page's request or the replay
    // information: the video's full addresses, tried in turn, and what the player and
    // the whiteboard need besides.
    QStringList replayVideoPaths;
    QString replayAppId;
    QString replayAppKey;
    QString replayPsId;
    QString replayPsPwd;
    QString replayPlanId;
    QString replayPlanName;
    int replaySize = 0;
    // {"startTime", "endTime"} in milliseconds of the lesson clock, one per video part.
    QJsonArray replayVideoTime;
};

// Process-wide record of ContextData; GUI thread only.
class Context : public QObject
{
    Q_OBJECT
public:
    static Context* instance();
    ContextData& data() { return m_data; }

private:
    Context() = default;
    ContextData m_data;
};
