#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QProcess>
#include <QString>

class QLocalServer;
class QLocalSocket;

// Runs a live lesson in the separate live-room program: writes the lesson parameters
// to "data.json" in the current folder, listens on a fresh local control socket and
// starts the program, then turns the lines the program sends into window signals.
class ZovSubProcess : public QObject
{
    Q_OBJECT
public:
    explicit ZovSubProcess(QObject* parent = nullptr);

    void start(QJsonObject params);
    // One line the live room sent on the control socket, line feed included or not.
    void handleControlLine(const QByteArray& line);

signals:
    void cmdArrvied(QJsonObject obj);
    void setApplicationVisible(bool visible);
    void notifySwitchEvaluationPage(QJsonObject obj);
    void notifyReset();

private slots:
    void onNewConnection();
    void onSocketReadyRead();
    void onReadyReadStandardError();
    void onReadyReadStandardOutput();
    void onAppFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onAppError(QProcess::ProcessError error);
    void onUpLoadDataResult(bool stat, QJsonValue jsonValue, QString errMsg);
    void onUseWebRsrc(QString faileUrl);

private:
    void stopUnconnectedProcess();
    void listenOnNewName(const QString& name);
    void createProcess();
    static bool writeParameterFile(const QByteArray& json);
    void handleCommand(const QJsonObject& obj);
    void logProcessOutput(const QByteArray& bytes);

    QProcess* m_process = nullptr;
    bool m_connected = false;
    QLocalServer* m_server = nullptr;
    QLocalSocket* m_socket = nullptr;
    int m_planId = 0;
    QString m_sid;
};
