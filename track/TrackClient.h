#pragma once

#include "track/Track.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QLocalSocket>
#include <QObject>

namespace track {

// The main process's end of the tracking channel: starts the tracking process,
// connects to it once it listens and sends each record as one JSON line. Records
// pushed before the connection is up wait in order.
class TrackClient : public QObject
{
    Q_OBJECT

public:
    // The process-wide client, owned by the application object.
    static TrackClient* instance();
    ~TrackClient() override;

    bool start(IPCCallback* callback);
    void push(const TrackEvent& event);

    // One record as a compact JSON line, newline included.
    static QByteArray encode(const TrackEvent& event);

private:
    enum class State
    {
        Idle,
        Waiting,
        Connecting,
        Connected,
        Closed
    };

    explicit TrackClient(QObject* parent);

    void launch();
    void tryConnect();
    void onConnected();
    void onDisconnected();
    void onSocketError();
    void close();
    void send(const QByteArray& line);

    QLocalSocket* m_socket;
    QElapsedTimer m_connectClock;
    QList<QByteArray> m_pending;
    IPCCallback* m_callback = nullptr;
    State m_state = State::Idle;
};

} // namespace track
