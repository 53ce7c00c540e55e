#include "tools/UploaderLog.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdio>

QString UploaderLog::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
        + QStringLiteral("/zov_qm_student/logs");
}

QString UploaderLog::fileNameFor(const QDateTime& start)
{
    return QStringLiteral("uploader_%1.txt")
        .arg(start.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")));
}

bool UploaderLog::open(const QString& folder, const QDateTime& start)
{
    if (!QDir().mkpath(folder))
        return false;
    m_file.setFileName(QDir(folder).filePath(fileNameFor(start)));
    // Two uploads started within the same second share the file instead of losing lines.
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void UploaderLog::info(const QString& text)
{
    write("INFO", text);
}

void UploaderLog::error(const QString& text)
{
    write("ERROR", text);
}

void UploaderLog::write(const char* level, const QString& text)
{
    const QString line
        = QStringLiteral("%1 [%2] %3\n")
              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                  QLatin1String(level), text);
    const QByteArray bytes = line.toUtf8();
    std::fputs(bytes.constData(), stderr);
    if (m_file.isOpen()) {
        m_file.write(bytes);
        m_file.flush();
    }
}
