#include "app/LogHandleThead.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kKeepDays = 7;

bool isOutdatedLogName(const QString& baseName, const QDate& today)
{
    const int separator = baseName.indexOf(QLatin1Char('_'));
    if (separator < 0)
        return true;
    const QDateTime started
        = QDateTime::fromString(baseName.mid(separator + 1), QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    if (!started.isValid())
        return true;
    return started.date().daysTo(today) > kKeepDays;
}

} // namespace

LogHandleThead::LogHandleThead(const QString& logDir)
    : m_logDir(logDir)
{ }

void LogHandleThead::removeOldLogs(const QString& logDir, const QDate& today)
{
    const QDir folder(logDir);
    const QFileInfoList files
        = folder.entryInfoList({ QStringLiteral("*.txt") }, QDir::Files, QDir::Unsorted);
    for (const QFileInfo& file : files) {
        if (isOutdatedLogName(file.completeBaseName(), today))
            QFile::remove(file.absoluteFilePath());
    }
}

void LogHandleThead::run()
{
    removeOldLogs(m_logDir, QDate::currentDate());
}
