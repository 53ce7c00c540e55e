// The program's two faces for the tracking tests, in one executable as in the real
// program: started with the tracking marker it is the tracking process, otherwise it
// is a main process that pushes numbered records.
//
// Main process arguments: <before start> <while connecting> <after connected>, the
// record counts of each phase. It prints its pid, then "connected" once the records
// are sent, and ends when its standard input has something to read or closes.

#include "track/Track.h"

#include <QCoreApplication>
#include <QMetaType>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <unistd.h>

// Stands in for the program's click record: a type of its own that it teaches
// QVariant to turn into a string list.
struct ClickRecord
{
    QString name;
    QString second;
    QString third;
};

Q_DECLARE_METATYPE(ClickRecord)

namespace {

const int kInitTrackFailed = 2;
const int kNeverConnected = 3;
const int kStartFailed = 4;
const int kConnectWaitMs = 15000;

void registerClickRecord()
{
    QMetaType::registerConverter<ClickRecord, QStringList>([](const ClickRecord& record) {
        return QStringList { record.name, record.second, record.third };
    });
}

class HostCallback : public track::IPCCallback
{
public:
    explicit HostCallback(std::function<void()> onConnected)
        : m_onConnected(std::move(onConnected))
    { }
    void OnIPCMessage(int) override { }
    void OnIPCState(int value) override
    {
        if (value == 1)
            m_onConnected();
    }

private:
    std::function<void()> m_onConnected;
};

class RecordPusher
{
public:
    void push(int count, int phase)
    {
        for (int i = 0; i < count; ++i) {
            track::TrackEvent event;
            event.eventType = m_next;
            event.eventSubType = phase;
            // A time past the signed 32-bit range and text that needs escaping.
            event.time = 4000000000u + static_cast<quint32>(m_next);
            event.data = QVariant::fromValue(
                ClickRecord { QStringLiteral("记录 \"%1\"\n").arg(m_next), QString(), QString() });
            track::TrackPush(event);
            ++m_next;
        }
    }

private:
    int m_next = 0;
};

void say(const char* line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int runMainProcess(QCoreApplication& app)
{
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4)
        return kStartFailed;
    registerClickRecord();
    say(QByteArray::number(QCoreApplication::applicationPid()).constData());

    RecordPusher pusher;
    pusher.push(arguments.at(1).toInt(), 0);
    QTimer connectWait;
    connectWait.setSingleShot(true);
    QObject::connect(&connectWait, &QTimer::timeout, &app, [&] { app.exit(kNeverConnected); });
    HostCallback callback([&] {
        connectWait.stop();
        pusher.push(arguments.at(3).toInt(), 2);
        say("connected");
    });
    if (!track::StartTrackProcess(arguments, &callback))
        return kStartFailed;
    pusher.push(arguments.at(2).toInt(), 1);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] { app.exit(0); });
    connectWait.start(kConnectWaitMs);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (track::TrackGetProcessType(app.arguments()) == 1)
        return track::InitTrack() ? app.exec() : kInitTrackFailed;
    return runMainProcess(app);
}
