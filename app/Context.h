#pragma once

#include <QJsonArray>
#include <QObject>
#include <QString>

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
