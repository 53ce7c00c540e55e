#pragma once

#include "core/HttpResponseParser.h"

#include <QObject>
#include <QUrl>

class QSslSocket;

namespace zov {
namespace network {

// One connection to one server (plain or TLS) over Qt's sockets, kept open between
// requests and carrying one request at a time.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    HttpConnection(const QUrl& url, QObject* parent);
    ~HttpConnection() override;

    // Scheme, host and port: requests to the same origin may share a connection.
    static QString originOf(const QUrl& url);
    static bool isHttps(const QUrl& url);
    QString origin() const { return m_origin; }

    // Opens the connection unless it is open, then writes the request and reads the reply.
    void exchange(const QByteArray& request);
    // Idle, open and fit to carry the next request.
    bool isReusable() const;

    const HttpResponseParser& reply() const { return m_reply; }

signals:
    void replied();
    // nothingReceived: the server sent not one byte, so the request may be sent again.
    void failed(const QString& transferError, bool nothingReceived);
    // The server closed the connection while it was idle.
    void closedWhileIdle();

private:
    void onReady();
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    void fail(const QString& transferError);
    bool isOpen() const;

    QSslSocket* m_socket;
    const QString m_origin;
    const QString m_host;
    const quint16 m_port;
    const bool m_encrypted;
    QByteArray m_unsent;
    HttpResponseParser m_reply;
    QString m_sslErrors;
    bool m_busy = false;
    bool m_broken = false;
};

} // namespace network
} // namespace zov
