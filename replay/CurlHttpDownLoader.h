#pragma once

#include "platform/ChildProcess.h"
#include <QObject>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

// Downloads one URL into one local file by running the command-line tool "curl.exe",
// and reports the tool's own percentage and whether the download succeeded.
class CurlHttpDownLoader : public QObject
{
    Q_OBJECT

public:
    explicit CurlHttpDownLoader(QObject* parent);
    ~CurlHttpDownLoader() override;

    // With resume set and dstPath present, the download continues after the bytes the
    // file already holds.
    void start(const QString& url, const QString& dstPath, bool resume);

    // The tool's arguments for one download, in the order the tool gets them.
    static QStringList arguments(const QString& url, const QString& dstPath, bool resume);
    // The twelve pieces of one progress meter line read from the tool's standard error;
    // empty when the chunk holds no such line or more than one.
    static QStringList meterFields(const QString& chunk);

signals:
    void progress(int value);
    // code: 0 when the tool ended normally with exit code 0, else -1.
    void curlFinished(int code, QString dstPath);

public slots:
    void onFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onReadyReadStandardOutput();

private:
    void takeMeterChunk();

    QString m_url;
    QString m_dstPath;
    // A download is ours alone: it ends when we do.
    zov::platform::ChildProcess m_process { zov::platform::ChildProcess::Lifetime::EndsWithUs };
    QStringList m_lastProgress;
    // The tool writes its meter one byte at a time, so a single read often holds part
    // of a line. Output is gathered until the tool falls quiet and then judged as one
    // chunk.
    QByteArray m_pendingMeter;
    QTimer m_meterQuietTimer;
};
