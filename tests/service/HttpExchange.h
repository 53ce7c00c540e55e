#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QPair>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

#include <functional>

class LocalService;
class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkRequest;

// What a client saw of one request.
struct HttpResult
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray contentType;
    QByteArray body;
};

// Synchronous requests through a real QNetworkAccessManager, trusting the service's
// certificate. Each request gets a manager of its own, so no connection is shared between
// requests.
class HttpExchange
{
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    explicit HttpExchange(const LocalService& service);

    // Raw headers sent with every later request, after the JSON content type.
    void setHeaders(const Headers& headers) { m_headers = headers; }

    HttpResult get(const QUrl& url) const;
    // POSTs body to path on the service's HTTPS port.
    HttpResult postApi(const QString& path, const QByteArray& body) const;
    // POSTs a multipart form (its own content type replaces the JSON one).
    HttpResult postForm(const QUrl& url, QHttpMultiPart& form) const;

private:
    using Issue = std::function<QNetworkReply*(QNetworkAccessManager&, const QNetworkRequest&)>;

    HttpResult send(const QUrl& url, const Issue& issue) const;

    const LocalService& m_service;
    QSslConfiguration m_ssl;
    Headers m_headers;
};
