#pragma once

#include <QDate>
#include <QString>
#include <QThread>

// Deletes the log files of earlier runs that are more than a week old. Runs once at
// start-up, next to the rest of the start-up.
class LogHandleThead : public QThread
{
    Q_OBJECT
public:
    explicit LogHandleThead(const QString& logDir);

    // The clean-up itself, with the day to count from.
    static void removeOldLogs(const QString& logDir, const QDate& today);

protected:
    void run() override;

private:
    QString m_logDir;
};
