#include "app/LogFiles.h"

#include "app/Context.h"
#include "core/ZovLog.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QStandardPaths>

QString logFolderPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
        + QStringLiteral("/zov_qm_student/logs");
}

QString logFileNameFor(const QDateTime& startTime)
{
    return QStringLiteral("student_%1.txt")
        .arg(startTime.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")));
}

bool createLogFile(QString& logDir)
{
    logDir = logFolderPath();
    const QString name = logFileNameFor(QDateTime::currentDateTime());
    QDir folder(logDir);
    if (!folder.exists())
        folder.mkdir(logDir);
    const bool ok = zov::log::ZovLog::getInstance()->setLogFileInfo(logDir, name);
    qDebug() << "Create log path:" << logDir << "name:" << name << "status:" << ok;
    Context::instance()->data().logFileName = name;
    return ok;
}

bool isDroppedLogMessage(const QString& msg)
{
    // Noise from image decoding and style sheet parsing that buries real lines.
    return msg.startsWith(QLatin1String("libpng warning:"))
        || msg.startsWith(QLatin1String("selectedTextBackgroundColor"));
}

QList<QByteArray> splitLogMessage(const QByteArray& bytes)
{
    QList<QByteArray> pieces;
    int offset = 0;
    while (bytes.size() - offset > kLogPieceSize) {
        pieces.append(bytes.mid(offset, kLogPieceSize));
        offset += kLogPieceSize;
    }
    pieces.append(bytes.mid(offset));
    return pieces;
}

namespace {

const char* levelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "Debug: ";
    case QtWarningMsg:
        return "Warning: ";
    case QtCriticalMsg:
        return "Critical: ";
    case QtFatalMsg:
        return "Fatal: ";
    case QtInfoMsg:
        return "Info: ";
    }
    return "Debug: ";
}

} // namespace

int formatLogLine(QtMsgType type, const QByteArray& piece, char (&line)[kLogPieceSize])
{
    // Cut the way a printf of "%s" into the buffer cuts: the level word takes room from the
    // text, and the text ends at its first zero byte.
    char* out = line;
    char* const last = line + kLogPieceSize - 1;
    for (const char* word = levelWord(type); *word; ++word)
        *out++ = *word;
    const char* const end = piece.constData() + piece.size();
    for (const char* in = piece.constData(); in != end && *in && out < last; ++in) {
        if (*in != '"')
            *out++ = *in;
    }
    *out = '\0';
    return static_cast<int>(out - line);
}

void writeLogLine(QtMsgType type, const QByteArray& piece, const QMessageLogContext& context)
{
    char line[kLogPieceSize];
    formatLogLine(type, piece, line);
    zov::log::ZovLog::getInstance()->trace(
        context.file, context.line, context.function, "%s", line);
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (isDroppedLogMessage(msg))
        return;
    const QByteArray bytes = msg.toLocal8Bit();
    const QList<QByteArray> pieces = splitLogMessage(bytes);
    for (const QByteArray& piece : pieces)
        writeLogLine(type, piece, context);
}
