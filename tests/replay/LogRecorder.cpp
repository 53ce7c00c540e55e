#include "LogRecorder.h"

#include <QMutexLocker>

LogRecorder* LogRecorder::s_current = nullptr;

LogRecorder::LogRecorder()
{
    s_current = this;
    m_previous = qInstallMessageHandler(&LogRecorder::handle);
}

LogRecorder::~LogRecorder()
{
    qInstallMessageHandler(m_previous);
    s_current = nullptr;
}

QStringList LogRecorder::messages() const
{
    QMutexLocker locker(&m_mutex);
    return m_messages;
}

bool LogRecorder::contains(const QString& message) const
{
    return messages().contains(message);
}

int LogRecorder::countStartingWith(const QString& prefix) const
{
    int count = 0;
    for (const QString& message : messages()) {
        if (message.startsWith(prefix))
            ++count;
    }
    return count;
}

void LogRecorder::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    LogRecorder* recorder = s_current;
    if (!recorder)
        return;
    {
        QMutexLocker locker(&recorder->m_mutex);
        recorder->m_messages.append(message);
    }
    if (recorder->m_previous)
        recorder->m_previous(type, context, message);
}
