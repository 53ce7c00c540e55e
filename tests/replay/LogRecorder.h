#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Records every log message of the process while it lives, and still passes each one
// on to the handler that was installed before, so test output keeps the log.
class LogRecorder
{
public:
    LogRecorder();
    ~LogRecorder();

    QStringList messages() const;
    bool contains(const QString& message) const;
    int countStartingWith(const QString& prefix) const;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    static LogRecorder* s_current;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_messages;
};
