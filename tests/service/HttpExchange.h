#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

class LocalService;

// What a client saw of one request.
struct HttpResult
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray contentType;
    QByteArray body;
};

// Synchronous requests through a real QNetworkAccessManager, trusting the service's
// certificate unless told otherwise. Each request gets a manager of its own, so no
// connection is shared between requests.
class HttpExchange
{
public:
    explicit HttpExchange(const LocalService& service, bool trustService = true);

    void setTransferTimeout(int milliseconds) { m_transferTimeoutMs = milliseconds; }

    HttpResult get(const QUrl& url) const;
    HttpResult post(const QUrl& url, const QByteArray& body) const;
    // POSTs body to path on the service's HTTPS port.
    HttpResult postApi(const QString& path, const QByteArray& body) const;

private:
    HttpResult send(const QUrl& url, const QByteArray* body) const;

    const LocalService& m_service;
    QSslConfiguration m_ssl;
    int m_transferTimeoutMs = 15000;
};
