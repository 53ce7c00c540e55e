#include "RecordingHttpServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace {

const QByteArray kHopPrefix = "/hop/";

QByteArray response(
    const QByteArray& status, const QByteArray& extraHeaders, const QByteArray& body)
{
    return "HTTP/1.1 " + status + "\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

} // namespace

RecordingHttpServer::RecordingHttpServer(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RecordingHttpServer::onNewConnection);
}

bool RecordingHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString RecordingHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void RecordingHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void RecordingHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    Request request;
    if (!takeRequest(buffer, request))
        return;
    m_requests.append(request);
    answer(socket, request);
}

bool RecordingHttpServer::takeRequest(QByteArray& buffer, Request& request)
{
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() < 2)
        return false;
    request.method = requestLine.at(0);
    request.path = requestLine.at(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        const QByteArray name = lines.at(i).left(colon).trimmed().toLower();
        const QByteArray value = lines.at(i).mid(colon + 1).trimmed();
        QByteArray& stored = request.headers[name];
        stored = stored.isEmpty() ? value : stored + ", " + value;
    }
    const int bodyLength = request.headers.value("content-length").toInt();
    if (buffer.size() < headerEnd + 4 + bodyLength)
        return false;
    request.body = buffer.mid(headerEnd + 4, bodyLength);
    buffer.remove(0, headerEnd + 4 + bodyLength);
    return true;
}

void RecordingHttpServer::answer(QTcpSocket* socket, const Request& request)
{
    if (request.path.startsWith(kHopPrefix)) {
        const int hops = request.path.mid(kHopPrefix.size()).toInt();
        if (hops > 0) {
            socket->write(response("302 Found",
                "Location: " + kHopPrefix + QByteArray::number(hops - 1) + "\r\n", QByteArray()));
            socket->disconnectFromHost();
            return;
        }
    }
    const QJsonObject data { { QStringLiteral("path"), QString::fromLatin1(request.path) } };
    const QByteArray body = QJsonDocument(
        QJsonObject { { QStringLiteral("data"),
            data } }).toJson(QJsonDocument::Compact);
    socket->write(response("200 OK", "Content-Type: application/json\r\n", body));
    socket->disconnectFromHost();
}
