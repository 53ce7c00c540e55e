#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>

class QTcpSocket;

// A plain HTTP server on a free loopback port that records what clients send. Every
// path answers {"data":{"path":...}}, except "/hop/<n>", which redirects to
// "/hop/<n - 1>" until n is 0.
class RecordingHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        // Names in lower case; a name sent twice keeps both values, comma-joined.
        QHash<QByteArray, QByteArray> headers;
        QByteArray body;
    };

    explicit RecordingHttpServer(QObject* parent = nullptr);

    bool listen();
    QString url(const QString& path) const;
    const QList<Request>& requests() const { return m_requests; }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    bool takeRequest(QByteArray& buffer, Request& request);
    void answer(QTcpSocket* socket, const Request& request);

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Request> m_requests;
};
