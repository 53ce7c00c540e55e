#include "tools/LogUploader.h"

#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// Service answers go into the log; a broken service could answer with anything.
constexpr int longestQuotedAnswer = 2000;

// Names inside the quoted header values, escaped the way browsers do for form data.
QString dispositionValue(QString text)
{
    return text.replace(QLatin1Char('"'), QLatin1String("%22"))
        .replace(QLatin1Char('\r'), QLatin1String("%0D"))
        .replace(QLatin1Char('\n'), QLatin1String("%0A"));
}

QHttpPart textPart(const QString& name, const QString& value)
{
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
        QStringLiteral("form-data; name=\"%1\"").arg(dispositionValue(name)));
    part.setBody(value.toUtf8());
    return part;
}

QString quoted(const QByteArray& answer)
{
    QString text = QString::fromUtf8(answer.left(longestQuotedAnswer)).trimmed();
    if (answer.size() > longestQuotedAnswer)
        text += QStringLiteral("...");
    return text.isEmpty() ? QStringLiteral("(empty answer)") : text;
}

} // namespace

LogUploader::LogUploader(QObject* parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &LogUploader::onTimeout);
}

bool LogUploader::readFile(const UploadArguments& arguments)
{
    m_arguments = arguments;
    const QString path = arguments.filePath();
    const QFileInfo info(path);
    if (!info.exists()) {
        m_error = QStringLiteral("The log file %1 does not exist.").arg(path);
        return false;
    }
    // Devices and pipes never end; only a regular file is a log.
    if (!info.isFile()) {
        m_error = QStringLiteral("%1 is not a regular file.").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error
            = QStringLiteral("The log file %1 cannot be read: %2.").arg(path, file.errorString());
        return false;
    }
    m_content = file.readAll();
    return true;
}

void LogUploader::start(int timeoutMs)
{
    QNetworkRequest request(m_arguments.uploadUrl());
    if (!m_arguments.uploadToken().isEmpty())
        request.setRawHeader("X-Upload-Token", m_arguments.uploadToken().toUtf8());

    QHttpMultiPart* body = buildBody();
    m_reply = m_manager->post(request, body);
    body->setParent(m_reply);
    connect(m_reply, &QNetworkReply::finished, this, &LogUploader::onReplyFinished);
    connect(m_reply, &QNetworkReply::sslErrors, this, &LogUploader::onSslErrors);
    m_deadline.start(timeoutMs);
}

QHttpMultiPart* LogUploader::buildBody()
{
    auto* body = new QHttpMultiPart(QHttpMultiPart::FormDataType);

    QHttpPart file;
    file.setHeader(QNetworkRequest::ContentDispositionHeader,
        QStringLiteral("form-data; name=\"file\"; filename=\"%1\"")
            .arg(dispositionValue(m_arguments.logName())));
    file.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain"));
    file.setBody(m_content);
    body->append(file);

    body->append(textPart(QStringLiteral("markId"), QString::number(m_arguments.markId())));
    const QJsonObject fields = m_arguments.fields();
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
        body->append(textPart(it.key(), UploadArguments::fieldText(it.value())));
    return body;
}

void LogUploader::onTimeout()
{
    m_timedOut = true;
    if (m_reply)
        m_reply->abort();
}

void LogUploader::onSslErrors(const QList<QSslError>& errors)
{
    for (const QSslError& error : errors)
        m_sslProblems << error.errorString();
}

void LogUploader::onReplyFinished()
{
    m_deadline.stop();
    bool ok = false;
    const QString message = judgeReply(&ok);
    m_reply->deleteLater();
    m_reply = nullptr;
    emit finished(ok, message);
}

QString LogUploader::judgeReply(bool* ok)
{
    // Every value goes in through one multi-argument arg(): a "%2" inside an address or
    // an answer must not be taken for a place-holder.
    const QString target = m_arguments.uploadUrl().toString();
    if (m_timedOut)
        return QStringLiteral("The upload to %1 did not finish within %2 seconds and was given "
                              "up.")
            .arg(target, QString::number(m_deadline.interval() / 1000.0));

    const QByteArray answer = m_reply->readAll();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() && !m_sslProblems.isEmpty())
        return QStringLiteral("The upload to %1 failed because the service's certificate is not "
                              "trusted: %2.")
            .arg(target, m_sslProblems.join(QStringLiteral("; ")));
    if (!status.isValid())
        return QStringLiteral("The upload to %1 failed before the service answered: %2.")
            .arg(target, m_reply->errorString());
    if (status.toInt() < 200 || status.toInt() > 299)
        return QStringLiteral("The service refused the upload with HTTP %1 %2. Its answer: %3")
            .arg(status.toString(),
                m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                quoted(answer));

    const QJsonObject reply = QJsonDocument::fromJson(answer).object();
    if (reply.value(QLatin1String("code")).toInt(0) != 0)
        return QStringLiteral("The service did not accept the upload. Its answer: %1")
            .arg(quoted(answer));
    const QJsonValue stored
        = reply.value(QLatin1String("data")).toObject().value(QLatin1String("size"));
    const QString sent = QString::number(m_content.size());
    if (!stored.isUndefined() && stored.toDouble() != double(m_content.size()))
        return QStringLiteral("The service stored %1 bytes but %2 were sent. Its answer: %3")
            .arg(QString::number(stored.toDouble()), sent, quoted(answer));

    *ok = true;
    return QStringLiteral("Uploaded %1 (%2 bytes) to %3. The service answered: %4")
        .arg(m_arguments.filePath(), sent, target, quoted(answer));
}
