#include "app/LogFiles.h"

#include "app/Context.h"
#include "core/ZovLog.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QStandardPaths>

#include <vector>

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

QByteArray formatLogLine(QtMsgType type, const QByteArray& piece)
{
    QByteArray text = piece;
    text.replace('"', QByteArray());

    const char* format = "Debug: %s";
    switch (type) {
    case QtDebugMsg:
        format = "Debug: %s";
        break;
    case QtWarningMsg:
        format = "Warning: %s";
        break;
    case QtCriticalMsg:
        format = "Critical: %s";
        break;
    case QtFatalMsg:
        format = "Fatal: %s";
        break;
    case QtInfoMsg:
        format = "Info: %s";
        break;
    }
    std::vector<char> buffer(kLogPieceSize);
    qsnprintf(buffer.data(), buffer.size(), format, text.constData());
    return QByteArray(buffer.data());
}

void writeLogLine(QtMsgType type, const QByteArray& piece, const QMessageLogContext& context)
{
    const QByteArray line = formatLogLine(type, piece);
    zov::log::ZovLog::getInstance()->trace(
        context.file, context.line, context.function, "%s", line.constData());
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
