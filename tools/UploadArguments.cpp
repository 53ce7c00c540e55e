#include "tools/UploadArguments.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>

#include <cmath>

namespace {

// Beyond 2^53 a JSON number no longer holds every integer exactly.
constexpr double largestExactInteger = 9007199254740992.0;

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// The name also goes into the form's headers, so it is kept free of quotes and line
// breaks, and of every way of naming another folder on either platform.
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && !name.contains(QLatin1Char('/'))
        && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1String(".."))
        && !name.contains(QLatin1Char(':')) && !name.contains(QLatin1Char('"'))
        && !hasControlCharacter(name);
}

} // namespace

bool UploadArguments::parse(const QString& text)
{
    *this = UploadArguments();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return fail(QStringLiteral("The argument is not JSON text (%1 at offset %2).")
                        .arg(error.errorString())
                        .arg(error.offset));
    if (!document.isObject())
        return fail(QStringLiteral("The argument is not a JSON object."));
    const QJsonObject root = document.object();
    const QJsonValue data = root.value(QLatin1String("data"));
    if (!data.isObject())
        return fail(QStringLiteral("The argument has no \"data\" object with the upload "
                                   "configuration."));
    return takeData(data.toObject()) && takeFile(root)
        && takeMarkId(root.value(QLatin1String("markId")));
}

QString UploadArguments::filePath() const
{
    return QDir(m_logPath).filePath(m_logName);
}

QString UploadArguments::fieldText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    default:
        return QString();
    }
}

bool UploadArguments::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool UploadArguments::takeData(const QJsonObject& data)
{
    const QString address = data.value(QLatin1String("uploadUrl")).toString();
    if (address.isEmpty())
        return fail(QStringLiteral("The upload configuration has no uploadUrl, so there is "
                                   "nowhere to send the log."));
    m_uploadUrl = QUrl(address, QUrl::StrictMode);
    const QString scheme = m_uploadUrl.scheme();
    if (!m_uploadUrl.isValid() || m_uploadUrl.host().isEmpty()
        || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return fail(
            QStringLiteral("The uploadUrl \"%1\" is not an http or https address.").arg(address));
    m_uploadToken = data.value(QLatin1String("uploadToken")).toString();
    const QJsonValue fields = data.value(QLatin1String("fields"));
    if (!fields.isUndefined() && !fields.isNull() && !fields.isObject())
        return fail(QStringLiteral("The upload configuration's \"fields\" is not an object."));
    m_fields = fields.toObject();
    return true;
}

bool UploadArguments::takeFile(const QJsonObject& root)
{
    m_logPath = root.value(QLatin1String("logPath")).toString();
    m_logName = root.value(QLatin1String("logName")).toString();
    if (m_logPath.isEmpty())
        return fail(QStringLiteral("The argument names no log folder (logPath)."));
    if (!isPlainFileName(m_logName))
        return fail(QStringLiteral("The log name \"%1\" is not the name of a file inside the "
                                   "log folder; only plain file names are uploaded.")
                        .arg(m_logName));
    return true;
}

bool UploadArguments::takeMarkId(const QJsonValue& value)
{
    const double number = value.toDouble();
    if (!value.isDouble() || std::trunc(number) != number
        || std::fabs(number) > largestExactInteger)
        return fail(QStringLiteral("The argument has no whole-number markId."));
    m_markId = qint64(number);
    return true;
}
