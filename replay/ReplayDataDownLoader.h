#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

class CurlHttpDownLoader;

// Downloads the recorded whiteboard data files of one replayed lesson one after
// another, checks each file's MD5 and hands every verified file on. Failed files are
// tried again, without a limit, once every waiting file has had its turn.
class ReplayDataDownLoader : public QObject
{
    Q_OBJECT

public:
    enum Status
    {
        Waiting = 0,
        Downloading = 1,
        Verified = 2,
        Failed = 3
    };

    struct DataResource
    {
        QString url;
        QString md5; // lower-case hexadecimal
        int status = Waiting;
        QString localPath;
        int index = 0; // position in the replay information's list, from 0
    };

    explicit ReplayDataDownLoader(QObject* parent);

    void start(const QVector<DataResource>& tasks);

    // Home folder + "/zov_qm_student/ZovCache/1v1playback/", created when missing.
    static QString cacheFolder();
    // The download list for the replay information's "replayData" entries ("url" and
    // "md5" each), stored in cacheFolder() under names stamped with startTime, so that
    // lists of different replays and equal URLs within one list never share a file.
    static QVector<DataResource> tasksForReplayData(
        const QJsonArray& replayData, const QDateTime& startTime);

signals:
    void downloadDataResourse(DataResource source);

public slots:
    void onCurlProgress(int done);
    void onCurlFinished(int code, QString dstPath);

private:
    void startNextTask();
    // Starts the first task with the given status; false when there is none.
    bool startFirstWith(int status);
    void retryLater(int taskIndex);
    void onRetryTimeout();
    void finishTask(DataResource& task, int code);

    CurlHttpDownLoader* m_curl = nullptr;
    QVector<DataResource> m_tasks;
    QTimer m_retryTimer;
    int m_retryIndex = -1;
};

Q_DECLARE_METATYPE(ReplayDataDownLoader::DataResource)
