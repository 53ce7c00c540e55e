#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>

// The one command-line argument of the upload program: compact JSON with the upload
// configuration the service gave the client ("data"), the log file to send (logPath +
// logName) and the student's markId. Only names of files directly inside logPath are
// accepted, so the argument cannot point the upload at any other file.
class UploadArguments
{
public:
    // False with errorString() set when the text is not a usable argument.
    bool parse(const QString& text);
    QString errorString() const { return m_error; }

    QUrl uploadUrl() const { return m_uploadUrl; }
    QString uploadToken() const { return m_uploadToken; }
    // data.fields, each member sent as a text part of its own.
    QJsonObject fields() const { return m_fields; }
    QString logName() const { return m_logName; }
    QString logPath() const { return m_logPath; }
    qint64 markId() const { return m_markId; }
    QString filePath() const;

    // Field values as the text of their form part.
    static QString fieldText(const QJsonValue& value);

private:
    bool fail(const QString& message);
    bool takeData(const QJsonObject& data);
    bool takeFile(const QJsonObject& root);
    bool takeMarkId(const QJsonValue& value);

    QString m_error;
    QUrl m_uploadUrl;
    QString m_uploadToken;
    QJsonObject m_fields;
    QString m_logName;
    QString m_logPath;
    qint64 m_markId = 0;
};
