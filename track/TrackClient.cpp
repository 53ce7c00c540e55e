#include "track/TrackClient.h"

#include "platform/ChildProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPointer>
#include <QProcess>
#include <QTimer>

namespace track {

namespace {

Q_LOGGING_CATEGORY(lcTrack, "zov.track")

// The tracking process needs a moment to start and listen; past this it is not coming.
const int kConnectTimeoutMs = 10000;
const int kConnectRetryMs = 100;
// What may still sit in the socket when the program ends is sent before it goes.
const int kDrainTimeoutMs = 2000;
// Starting is only the fork and exec of our own program.
const int kStartTimeoutMs = 5000;
// The tracking process has nothing to do before the first record, and starting it while the
// program starts would take a core from the web engine loading the first page.
const int kLaunchDelayMs = 2000;

QPointer<TrackClient> s_client;

QJsonValue dataValue(const QVariant& data)
{
    // The program's own record types teach QVariant how to become a string list;
    // built-in types already have a JSON form of their own.
    if (data.userType() >= QMetaType::User && data.canConvert<QStringList>())
        return QJsonArray::fromStringList(data.toStringList());
    return QJsonValue::fromVariant(data);
}

} // namespace

TrackClient* TrackClient::instance()
{
    if (!s_client)
        s_client = new TrackClient(QCoreApplication::instance());
    return s_client;
}

TrackClient::TrackClient(QObject* parent)
    : QObject(parent)
    , m_socket(new QLocalSocket(this))
{
    // A local socket whose server already listens connects inside connectToServer();
    // queued, the caller of start() never hears of the connection before start()
    // has returned.
    connect(
        m_socket, &QLocalSocket::connected, this, &TrackClient::onConnected, Qt::QueuedConnection);
    connect(m_socket, &QLocalSocket::disconnected, this, &TrackClient::onDisconnected);
    connect(m_socket, &QLocalSocket::errorOccurred, this, &TrackClient::onSocketError);
}

TrackClient::~TrackClient()
{
    // Runs while the application object goes away, so the callback may already be
    // half destroyed: it must not hear about the socket closing.
    m_callback = nullptr;
    disconnect(m_socket, nullptr, this, nullptr);
    const QDeadlineTimer deadline(kDrainTimeoutMs);
    while (m_state == State::Connected && m_socket->bytesToWrite() > 0 && !deadline.hasExpired())
        m_socket->waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
}

bool TrackClient::start(IPCCallback* callback)
{
    if (m_state != State::Idle)
        return false;
    m_callback = callback;
    m_state = State::Waiting;
    QTimer::singleShot(kLaunchDelayMs, this, &TrackClient::launch);
    return true;
}

void TrackClient::launch()
{
    if (m_state != State::Waiting)
        return;
    // It outlives us long enough to store what we sent last and ends by itself once we are
    // gone, so the process object is never destroyed while we run: that would end it. It gets
    // none of our standard streams (whoever reads our output must not wait for it as well)
    // and none of our other descriptors.
    auto* process
        = new zov::platform::ChildProcess(zov::platform::ChildProcess::Lifetime::MayOutliveUs);
    QObject::connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), process,
        &QObject::deleteLater);
    process->setProgram(QCoreApplication::applicationFilePath());
    process->setArguments({ QString::fromLatin1(kTrackProcessArgument),
        QString::number(QCoreApplication::applicationPid()) });
    // It shows no window: the minimal platform spares it the display connection and the
    // OpenGL stack that the web engine sets up in every application object it sees.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("minimal"));
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(kStartTimeoutMs)) {
        qCWarning(lcTrack) << "cannot start the tracking process";
        process->deleteLater();
        close();
        return;
    }
    m_state = State::Connecting;
    m_connectClock.start();
    tryConnect();
}

void TrackClient::push(const TrackEvent& event)
{
    const QByteArray line = encode(event);
    switch (m_state) {
    case State::Idle:
    case State::Connecting:
        m_pending.append(line);
        break;
    case State::Waiting:
        m_pending.append(line);
        launch();
        break;
    case State::Connected:
        send(line);
        break;
    case State::Closed:
        break;
    }
}

QByteArray TrackClient::encode(const TrackEvent& event)
{
    const QJsonObject record = {
        { QStringLiteral("type"), event.eventType },
        { QStringLiteral("subType"), event.eventSubType },
        { QStringLiteral("time"), static_cast<qint64>(event.time) },
        { QStringLiteral("data"), dataValue(event.data) },
    };
    return QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
}

void TrackClient::tryConnect()
{
    if (m_state != State::Connecting)
        return;
    m_socket->abort();
    m_socket->connectToServer(TrackServerName(QCoreApplication::applicationPid()));
}

void TrackClient::onConnected()
{
    m_state = State::Connected;
    for (const QByteArray& line : qAsConst(m_pending))
        send(line);
    m_pending.clear();
    if (m_callback)
        m_callback->OnIPCState(1);
}

void TrackClient::onDisconnected()
{
    if (m_state != State::Connected)
        return;
    qCWarning(lcTrack) << "the tracking process closed the connection";
    close();
    if (m_callback)
        m_callback->OnIPCState(0);
}

void TrackClient::onSocketError()
{
    // Errors on a live connection end in disconnected(); here only the failed
    // attempts while the tracking process is still starting matter.
    if (m_state != State::Connecting)
        return;
    if (m_connectClock.hasExpired(kConnectTimeoutMs)) {
        qCWarning(lcTrack) << "the tracking process never answered:" << m_socket->errorString();
        close();
        return;
    }
    // Not from inside the failing connectToServer() call: the socket is still
    // reporting that failure.
    QTimer::singleShot(kConnectRetryMs, this, &TrackClient::tryConnect);
}

void TrackClient::close()
{
    m_state = State::Closed;
    m_pending.clear();
}

void TrackClient::send(const QByteArray& line)
{
    m_socket->write(line);
    m_socket->flush();
}

} // namespace track
