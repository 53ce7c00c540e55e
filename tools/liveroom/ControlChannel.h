#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QLocalSocket;

// The live room's side of the control socket: one JSON object per line, ended by a
// line feed, from the live room to the client only.
class ControlChannel : public QObject
{
    Q_OBJECT
public:
    explicit ControlChannel(const QString& serverName, QObject* parent = nullptr);

    void connectToMain();
    bool isConnected() const;
    void sendMessage(const QJsonObject& message);
    // Bytes as they are, for lines cut short or several lines in one write.
    void sendRaw(const QByteArray& bytes);
    // Hands everything written so far to the client; call it before the process exits.
    void flush();

signals:
    void connected();
    void connectionFailed(const QString& reason);
    void disconnected();

private:
    QString m_serverName;
    QLocalSocket* m_socket;
};
