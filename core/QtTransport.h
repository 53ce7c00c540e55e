#pragma once

#include "core/HttpTransport.h"

#include <QNetworkReply>
#include <QPointer>
#include <QSslError>
#include <QTimer>

class QNetworkAccessManager;

namespace zov {
namespace network {

// Runs the transfer through Qt's network stack, with one access manager per thread.
class QtTransport : public HttpTransport
{
    Q_OBJECT
public:
    explicit QtTransport(QObject* parent);
    ~QtTransport() override;

    void send(const HttpRequest& request) override;

    // Drops the calling thread's access manager and the transfers still running on it.
    static void releaseThreadManager();

private:
    static QNetworkAccessManager* threadManager();
    static QNetworkAccessManager* createManager();

    void onFinished();
    void onSslErrors(const QList<QSslError>& errors);
    void onTimeout();
    QString describeFailure(const QNetworkReply& reply) const;

    QPointer<QNetworkReply> m_reply;
    QTimer m_timer;
    QString m_sslErrors;
    int m_timeMs = 0;
    bool m_timedOut = false;
};

} // namespace network
} // namespace zov
