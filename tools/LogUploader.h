#pragma once

#include "tools/UploadArguments.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QStringList>
#include <QTimer>

class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;

// Sends one log file to the upload address as multipart/form-data: the file as part
// "file", the student's "markId" and every upload configuration field as text parts,
// with the upload token in "X-Upload-Token". The whole transfer has one deadline.
class LogUploader : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultTimeoutMs = 60000;

    explicit LogUploader(QObject* parent = nullptr);

    // Reads the file now, so that the upload is one consistent snapshot of a log the
    // client may still be writing. False with errorString() when it cannot be read.
    bool readFile(const UploadArguments& arguments);
    QString errorString() const { return m_error; }
    qint64 fileSize() const { return m_content.size(); }

    // Starts the transfer; finished() follows exactly once.
    void start(int timeoutMs = defaultTimeoutMs);

signals:
    // message says in plain words what happened, including the service's answer.
    void finished(bool ok, const QString& message);

private:
    void onReplyFinished();
    void onTimeout();
    void onSslErrors(const QList<QSslError>& errors);
    QHttpMultiPart* buildBody();
    QString judgeReply(bool* ok);

    QNetworkAccessManager* m_manager;
    QNetworkReply* m_reply = nullptr;
    QTimer m_deadline;
    UploadArguments m_arguments;
    QByteArray m_content;
    QString m_error;
    QStringList m_sslProblems;
    bool m_timedOut = false;
};
