#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

class ControlChannel;
class LiveRoomWindow;
class QTimer;

// Plays the live room without a person, from a JSON array of one-key steps:
//   {"connect": true}             connect the control socket, go on once it connected or failed
//   {"click": "enter" | "leave"}  press the window's button ("leave" ends the program with 0)
//   {"send": {...}}               one control line: the object, compact, and a line feed
//   {"sendRaw": "text"}           the text as UTF-8, nothing added
//   {"stdout": "text"}            the text on standard output (or "stderr"), flushed
//   {"sleepMs": 100}              wait
//   {"waitForFile": "/path"}      wait until the file exists
//   {"exit": 101}                 deliver what was sent and end with that code
// Steps run in order once the window is shown; the socket stays unconnected until a
// "connect" step, and after the last step the program keeps running like a live room.
class ScriptRunner : public QObject
{
    Q_OBJECT
public:
    ScriptRunner(LiveRoomWindow* window, ControlChannel* channel, QObject* parent = nullptr);

    // False when the text is not a JSON array of objects.
    bool load(const QByteArray& script);
    void start();

private:
    void runNext();
    void runStep(const QJsonObject& step);
    void continueLater();
    void clickButton(const QString& name);
    void waitForConnection();
    void onConnectionSettled();
    void pollForFile();
    void fail(const QString& reason);

    LiveRoomWindow* m_window;
    ControlChannel* m_channel;
    QJsonArray m_steps;
    int m_next = 0;
    bool m_waitingForConnection = false;
    QString m_awaitedFile;
    QTimer* m_filePoll;
};
