#pragma once

#include "core/HttpRequest.h"
#include "core/HttpTransport.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace zov {
namespace network {

class HttpConnection;

// Runs the transfer over Qt's sockets, on connections the calling thread keeps open
// between requests. Follows redirects and sends a request again, on a new connection,
// when the server closed the connection before answering.
class QtTransport : public HttpTransport
{
    Q_OBJECT
public:
    explicit QtTransport(QObject* parent);
    ~QtTransport() override;

    void send(const HttpRequest& request) override;

    // Closes the calling thread's connections; the transfers still on them end silently.
    static void releaseThreadConnections();

private:
    void startAttempt();
    void onReplied();
    void onFailed(const QString& transferError, bool nothingReceived);
    void onTimeout();
    void followRedirect(int status, const QByteArray& location);
    QByteArray requestBytes() const;
    void releaseConnection(bool reusable);
    void finish(const HttpResponse& response);
    void finishLater(const QString& transferError);

    HttpRequest m_request;
    QUrl m_url;
    QPointer<HttpConnection> m_connection;
    QTimer m_timer;
    int m_attempts = 0;
    int m_redirects = 0;
    bool m_done = false;
};

} // namespace network
} // namespace zov
