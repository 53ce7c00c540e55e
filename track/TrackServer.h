#pragma once

#include <QFile>
#include <QObject>
#include <QTimer>

class QLocalServer;
class QLocalSocket;

namespace track {

// The tracking process's end: listens for the main process, appends every line it
// sends to the track file, and ends the process once the main process is gone.
class TrackServer : public QObject
{
    Q_OBJECT

public:
    TrackServer(qint64 mainProcessId, QObject* parent);

    // Opens the track file and starts listening; false when either fails.
    bool start();

    static bool isProcessAlive(qint64 processId);

private:
    bool openTrackFile();
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);
    void onSocketDisconnected(QLocalSocket* socket);
    void quitWhenMainProcessGone();

    qint64 m_mainProcessId;
    QLocalServer* m_server;
    QFile m_file;
    QTimer m_pollTimer;
    int m_connectionCount = 0;
};

} // namespace track
