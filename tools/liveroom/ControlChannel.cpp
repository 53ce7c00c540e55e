#include "ControlChannel.h"

#include <QJsonDocument>
#include <QLocalSocket>

namespace {

constexpr int kFlushWaitMs = 2000;

} // namespace

ControlChannel::ControlChannel(const QString& serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(serverName)
    , m_socket(new QLocalSocket(this))
{
    connect(m_socket, &QLocalSocket::connected, this, &ControlChannel::connected);
    connect(m_socket, &QLocalSocket::disconnected, this, &ControlChannel::disconnected);
    connect(m_socket, &QLocalSocket::errorOccurred, this,
        [this] { emit connectionFailed(m_socket->errorString()); });
}

void ControlChannel::connectToMain()
{
    m_socket->connectToServer(m_serverName);
}

bool ControlChannel::isConnected() const
{
    return m_socket->state() == QLocalSocket::ConnectedState;
}

void ControlChannel::sendMessage(const QJsonObject& message)
{
    sendRaw(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n');
}

void ControlChannel::sendRaw(const QByteArray& bytes)
{
    if (!isConnected())
        return;
    m_socket->write(bytes);
    // Out at once, so a line cut in two really reaches the client in two pieces.
    m_socket->flush();
}

void ControlChannel::flush()
{
    while (isConnected() && m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(kFlushWaitMs))
            return;
    }
}
