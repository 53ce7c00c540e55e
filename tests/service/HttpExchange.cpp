#include "HttpExchange.h"

#include "LocalService.h"

#include <QEventLoop>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

HttpExchange::HttpExchange(const LocalService& service)
    : m_service(service)
    , m_ssl(service.sslConfiguration())
{ }

HttpResult HttpExchange::get(const QUrl& url) const
{
    return send(url, [](QNetworkAccessManager& manager, const QNetworkRequest& request) {
        return manager.get(request);
    });
}

HttpResult HttpExchange::postApi(const QString& path, const QByteArray& body) const
{
    QUrl url = m_service.apiBaseUrl();
    url.setPath(path);
    return send(url, [&body](QNetworkAccessManager& manager, const QNetworkRequest& request) {
        return manager.post(request, body);
    });
}

HttpResult HttpExchange::postForm(const QUrl& url, QHttpMultiPart& form) const
{
    return send(url, [&form](QNetworkAccessManager& manager, QNetworkRequest request) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
            QByteArray("multipart/form-data; boundary=") + form.boundary());
        return manager.post(request, &form);
    });
}

HttpResult HttpExchange::send(const QUrl& url, const Issue& issue) const
{
    QNetworkRequest request(url);
    request.setSslConfiguration(m_ssl);
    request.setTransferTimeout(15000);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    for (const auto& [name, value] : m_headers)
        request.setRawHeader(name, value);

    // The reply belongs to the manager and goes with it.
    QNetworkAccessManager manager;
    QNetworkReply* reply = issue(manager, request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();

    HttpResult result;
    result.error = reply->error();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->rawHeader(QByteArrayLiteral("Content-Type"));
    if (reply->isOpen())
        result.body = reply->readAll();
    return result;
}
