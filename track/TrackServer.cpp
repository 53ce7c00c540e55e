#include "track/TrackServer.h"

#include "core/BoundedLineReader.h"
#include "track/Track.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <signal.h>
#endif

namespace track {

namespace {

Q_LOGGING_CATEGORY(lcTrackServer, "zov.track.server")

// The main process may die without ever connecting, so its pid is watched as well.
const int kMainProcessPollMs = 500;

#ifdef Q_OS_LINUX
// A zombie still answers kill(), but it will never send anything again.
bool isZombie(qint64 processId)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int nameEnd = text.lastIndexOf(')');
    return nameEnd >= 0 && text.mid(nameEnd + 1).trimmed().startsWith('Z');
}
#endif

} // namespace

TrackServer::TrackServer(qint64 mainProcessId, QObject* parent)
    : QObject(parent)
    , m_mainProcessId(mainProcessId)
    , m_server(new QLocalServer(this))
    , m_file(TrackFilePath())
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TrackServer::onNewConnection);
    m_pollTimer.setInterval(kMainProcessPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &TrackServer::quitWhenMainProcessGone);
}

bool TrackServer::start()
{
    if (!openTrackFile())
        return false;
    const QString name = TrackServerName(m_mainProcessId);
    // A server left behind by a crashed tracking process would block the name.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        qCWarning(lcTrackServer) << "cannot listen on" << name << m_server->errorString();
        return false;
    }
    m_pollTimer.start();
    return true;
}

bool TrackServer::isProcessAlive(qint64 processId)
{
    if (processId <= 0)
        return false;
#ifdef Q_OS_WIN
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return false;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
#else
    if (::kill(static_cast<pid_t>(processId), 0) != 0 && errno != EPERM)
        return false;
#ifdef Q_OS_LINUX
    return !isZombie(processId);
#else
    return true;
#endif
#endif
}

bool TrackServer::openTrackFile()
{
    QDir().mkpath(QFileInfo(m_file.fileName()).absolutePath());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qCWarning(lcTrackServer) << "cannot open" << m_file.fileName() << m_file.errorString();
        return false;
    }
    return true;
}

void TrackServer::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        ++m_connectionCount;
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this,
            [this, socket] { onSocketDisconnected(socket); });
        onReadyRead(socket);
    }
}

void TrackServer::onReadyRead(QLocalSocket* socket)
{
    // Only whole lines: a line cut short by a crash of the main process would not be
    // valid JSON, and the reader relies on one record per line.
    BoundedLineReader::readOrDrop(
        *socket, "TrackServer: the main process", [this](const QByteArray& line) {
            m_file.write(line);
            m_file.flush();
        });
}

void TrackServer::onSocketDisconnected(QLocalSocket* socket)
{
    onReadyRead(socket);
    --m_connectionCount;
    socket->deleteLater();
    quitWhenMainProcessGone();
}

void TrackServer::quitWhenMainProcessGone()
{
    if (m_connectionCount > 0 || isProcessAlive(m_mainProcessId))
        return;
    m_pollTimer.stop();
    QCoreApplication::quit();
}

} // namespace track
