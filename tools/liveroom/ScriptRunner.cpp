#include "ScriptRunner.h"

#include "ControlChannel.h"
#include "LiveRoomWindow.h"
#include "StandardStreams.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTimer>

namespace {

constexpr int kFilePollMs = 20;
constexpr int kScriptErrorExitCode = 3;

} // namespace

ScriptRunner::ScriptRunner(LiveRoomWindow* window, ControlChannel* channel, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_channel(channel)
    , m_filePoll(new QTimer(this))
{
    m_filePoll->setInterval(kFilePollMs);
    connect(m_filePoll, &QTimer::timeout, this, &ScriptRunner::pollForFile);
    connect(m_channel, &ControlChannel::connected, this, &ScriptRunner::onConnectionSettled);
    connect(m_channel, &ControlChannel::connectionFailed, this, &ScriptRunner::onConnectionSettled);
}

bool ScriptRunner::load(const QByteArray& script)
{
    const QJsonDocument document = QJsonDocument::fromJson(script);
    if (!document.isArray())
        return false;
    for (const QJsonValue& step : document.array()) {
        if (!step.isObject())
            return false;
    }
    m_steps = document.array();
    return true;
}

void ScriptRunner::start()
{
    continueLater();
}

// Each step starts from the event loop, so the window and socket see every event the
// previous step caused before the next one runs.
void ScriptRunner::continueLater()
{
    QMetaObject::invokeMethod(this, &ScriptRunner::runNext, Qt::QueuedConnection);
}

void ScriptRunner::runNext()
{
    if (m_next >= m_steps.size())
        return;
    runStep(m_steps.at(m_next++).toObject());
}

void ScriptRunner::runStep(const QJsonObject& step)
{
    if (step.contains(QStringLiteral("connect"))) {
        waitForConnection();
    } else if (step.contains(QStringLiteral("click"))) {
        clickButton(step.value(QStringLiteral("click")).toString());
    } else if (step.contains(QStringLiteral("send"))) {
        m_channel->sendMessage(step.value(QStringLiteral("send")).toObject());
        continueLater();
    } else if (step.contains(QStringLiteral("sendRaw"))) {
        m_channel->sendRaw(step.value(QStringLiteral("sendRaw")).toString().toUtf8());
        continueLater();
    } else if (step.contains(QStringLiteral("stdout"))) {
        writeStandardOutput(step.value(QStringLiteral("stdout")).toString().toUtf8());
        continueLater();
    } else if (step.contains(QStringLiteral("stderr"))) {
        writeStandardError(step.value(QStringLiteral("stderr")).toString().toUtf8());
        continueLater();
    } else if (step.contains(QStringLiteral("sleepMs"))) {
        QTimer::singleShot(
            step.value(QStringLiteral("sleepMs")).toInt(), this, &ScriptRunner::runNext);
    } else if (step.contains(QStringLiteral("waitForFile"))) {
        m_awaitedFile = step.value(QStringLiteral("waitForFile")).toString();
        m_filePoll->start();
    } else if (step.contains(QStringLiteral("exit"))) {
        m_channel->flush();
        QCoreApplication::exit(step.value(QStringLiteral("exit")).toInt());
    } else {
        fail(QStringLiteral("unknown step ")
            + QString::fromUtf8(QJsonDocument(step).toJson(QJsonDocument::Compact)));
    }
}

void ScriptRunner::clickButton(const QString& name)
{
    if (name == QLatin1String("enter")) {
        m_window->pressEnter();
    } else if (name == QLatin1String("leave")) {
        m_window->pressLeave();
    } else {
        fail(QStringLiteral("no button named ") + name);
        return;
    }
    continueLater();
}

void ScriptRunner::waitForConnection()
{
    m_waitingForConnection = true;
    m_channel->connectToMain();
}

void ScriptRunner::onConnectionSettled()
{
    if (!m_waitingForConnection)
        return;
    m_waitingForConnection = false;
    continueLater();
}

void ScriptRunner::pollForFile()
{
    if (!QFileInfo::exists(m_awaitedFile))
        return;
    m_filePoll->stop();
    continueLater();
}

void ScriptRunner::fail(const QString& reason)
{
    writeStandardError(QStringLiteral("ZovLiveRoomStu script: %1\r\n").arg(reason).toUtf8());
    QCoreApplication::exit(kScriptErrorExitCode);
}
