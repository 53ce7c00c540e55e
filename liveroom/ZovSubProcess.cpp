#include "liveroom/ZovSubProcess.h"

#include "app/Context.h"
#include "core/BoundedLineReader.h"
#include "core/NetworkHelper.h"
#include "platform/ChildProcess.h"
#include "platform/Platform.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSaveFile>
#include <QTime>

namespace {

const QString kParameterFile = QStringLiteral("data.json");

constexpr int kTerminateWaitMs = 1000;
constexpr int kNeedReplayExitCode = 101;
constexpr int kNeedUpdateExitCode = 102;

// Numbers the control-socket names of this process, so two starts within the same
// millisecond still get different names.
int s_ipcCounter = 0;

QString nextIpcName()
{
    ++s_ipcCounter;
    return QStringLiteral("ZSTU_%1_%2")
        .arg(QTime::currentTime().toString(QStringLiteral("mmsszzz")),
            QString::number(s_ipcCounter));
}

// The page's lesson data plus what the live room needs from this program.
QJsonObject liveRoomParameters(QJsonObject params, const QString& ipcName)
{
    const ContextData& context = Context::instance()->data();
    params.insert(QStringLiteral("bizId"), 5);
    params.insert(
        QStringLiteral("dpi"), context.dpi ? QStringLiteral("open") : QStringLiteral("close"));
    params.insert(QStringLiteral("ipcName"), ipcName);
    params.insert(QStringLiteral("version"), QStringLiteral(ZOV_APP_VERSION));
    params.insert(QStringLiteral("host"), context.host);
    params.insert(QStringLiteral("enterRoomUrl"), context.courseInfoUrl);
    params.insert(QStringLiteral("startSingleRecord"), context.startSingleVideoUrl);
    params.insert(QStringLiteral("stopSingleRecord"), context.endSingleVideoUrl);
    params.insert(QStringLiteral("strGetUploadConfigUrl"), context.getUploadConfigUrl);
    params.insert(QStringLiteral("strLogPath"), context.logFileName);
    params.insert(QStringLiteral("classEvaluationUrl"), context.evaluationUrl);
    params.insert(QStringLiteral("strOlMaiDianUrl"), context.getOlMaidianUrl);
    params.insert(QStringLiteral("urlArray"), context.rdUrlList);
    return params;
}

QJsonObject exitMessage(const QString& type, const QString& msg)
{
    return { { QStringLiteral("type"), type }, { QStringLiteral("state"), false },
        { QStringLiteral("msg"), msg } };
}

} // namespace

ZovSubProcess::ZovSubProcess(QObject* parent)
    : QObject(parent)
{ }

void ZovSubProcess::start(QJsonObject params)
{
    // A connected live room owns the lesson until it exits.
    if (m_connected)
        return;
    stopUnconnectedProcess();

    const QString ipcName = nextIpcName();
    listenOnNewName(ipcName);

    const QByteArray json
        = QJsonDocument(liveRoomParameters(params, ipcName)).toJson(QJsonDocument::Compact);
    const QStringList arguments { QString::fromUtf8(json) };
    m_planId = params.value(QStringLiteral("planId")).toInt();
    qDebug().noquote() << "Subprocess start:" << arguments << "planId" << m_planId;

    createProcess();
    if (!writeParameterFile(json))
        return;
    const QString program = QDir::current().absoluteFilePath(
        zov::platform::Platform::programFileName(QStringLiteral("ZovLiveRoomStu")));
    m_process->start(program, arguments, QIODevice::ReadWrite);
}

// The parameters carry the student's token: only the student may read them, and they go
// once the live room has ended. A file left by an older run would keep its mode, so it goes
// first; the new one starts private.
bool ZovSubProcess::writeParameterFile(const QByteArray& json)
{
    QFile::remove(kParameterFile);
    QSaveFile file(kParameterFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(json);
    return file.commit();
}

// A live room that never reached its control socket is stuck; the new lesson replaces it.
void ZovSubProcess::stopUnconnectedProcess()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(kTerminateWaitMs))
            m_process->kill();
    }
    m_process->disconnect();
    m_process->deleteLater();
    m_process = nullptr;
}

void ZovSubProcess::listenOnNewName(const QString& name)
{
    if (!m_server) {
        m_server = new QLocalServer(this);
        connect(m_server, &QLocalServer::newConnection, this, &ZovSubProcess::onNewConnection);
    }
    m_server->close();
    if (!m_server->listen(name))
        qWarning() << "ZovSubProcess::start listen failed" << name << m_server->errorString();
}

void ZovSubProcess::createProcess()
{
    m_process = new zov::platform::ChildProcess(
        zov::platform::ChildProcess::Lifetime::MayOutliveUs, this);
    connect(m_process, &QProcess::readyReadStandardError, this,
        &ZovSubProcess::onReadyReadStandardError);
    connect(m_process, &QProcess::readyReadStandardOutput, this,
        &ZovSubProcess::onReadyReadStandardOutput);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
        &ZovSubProcess::onAppFinished);
    connect(m_process, &QProcess::errorOccurred, this, &ZovSubProcess::onAppError);
}

void ZovSubProcess::onNewConnection()
{
    if (!m_server->hasPendingConnections())
        return;
    // The connection of an earlier lesson is finished with.
    if (m_socket)
        m_socket->deleteLater();
    m_socket = m_server->nextPendingConnection();
    connect(m_socket, &QLocalSocket::readyRead, this, &ZovSubProcess::onSocketReadyRead);
    m_server->close();
    m_connected = true;
    qDebug() << "ctrl socket connected.";
}

void ZovSubProcess::onSocketReadyRead()
{
    // A read can end inside a line; the socket keeps the rest until its line feed arrives.
    BoundedLineReader::readOrDrop(*m_socket, "ZovSubProcess: the live room",
        [this](const QByteArray& line) { handleControlLine(line); });
}

void ZovSubProcess::handleControlLine(const QByteArray& bytes)
{
    const QString line = QString::fromUtf8(bytes).trimmed();
    qDebug().noquote() << "main recv cmd," << line;
    handleCommand(QJsonDocument::fromJson(line.toUtf8()).object());
}

void ZovSubProcess::handleCommand(const QJsonObject& obj)
{
    const QString type = obj.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("enterRoom")) {
        emit setApplicationVisible(false);
    } else if (type == QLatin1String("leaveRoom")) {
        if (obj.contains(QStringLiteral("evaluationUrl")))
            emit notifySwitchEvaluationPage(obj);
        m_sid = obj.value(QStringLiteral("sid")).toString();
        emit notifyReset();
    }
}

void ZovSubProcess::onReadyReadStandardError()
{
    logProcessOutput(m_process->readAllStandardError());
}

void ZovSubProcess::onReadyReadStandardOutput()
{
    logProcessOutput(m_process->readAllStandardOutput());
}

// The live room ends its lines with carriage returns; what follows the last one is
// dropped rather than held for the next read.
void ZovSubProcess::logProcessOutput(const QByteArray& bytes)
{
    QList<QByteArray> pieces = bytes.split('\r');
    pieces.removeLast();
    for (const QByteArray& piece : qAsConst(pieces))
        qDebug().noquote() << "SubProcess:" << QString::fromLocal8Bit(piece).trimmed();
}

void ZovSubProcess::onAppFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    qDebug() << "ZovSubProcess::onAppFinished" << exitCode << exitStatus;
    m_connected = false;
    QFile::remove(kParameterFile);
    emit setApplicationVisible(true);
    emit notifyReset();
    if (exitCode == kNeedReplayExitCode) {
        emit cmdArrvied(exitMessage(QStringLiteral("getInfo"), QStringLiteral("回放视频未生成")));
    } else if (exitCode == kNeedUpdateExitCode) {
        emit cmdArrvied(
            exitMessage(QStringLiteral("needUpdate"), QStringLiteral("功能不支持，需要更新")));
    }
}

// A live room that never started never ends either, so its parameters, with the token, go
// here instead.
void ZovSubProcess::onAppError(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart)
        QFile::remove(kParameterFile);
}

void ZovSubProcess::onUpLoadDataResult(bool stat, QJsonValue jsonValue, QString errMsg)
{
    qDebug() << "ZovSubProcess::onUpLoadDataResult" << stat;
    if (auto* request = qobject_cast<zov::network::NetworkHelper*>(sender()))
        request->deleteLater();
    if (stat)
        return;
    QString msg = jsonValue.toObject().value(QStringLiteral("msg")).toString();
    if (msg.isEmpty())
        msg = errMsg;
    qWarning().noquote() << "ZovSubProcess::onUpLoadDataResult failed:" << msg;
}

void ZovSubProcess::onUseWebRsrc(QString faileUrl)
{
    qDebug().noquote() << "ZovSubProcess::onUseWebRsrc" << faileUrl;
}
