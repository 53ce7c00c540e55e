#include "core/NetworkSettings.h"

namespace zov {
namespace network {

NetworkSettings& NetworkSettings::instance()
{
    static NetworkSettings settings;
    return settings;
}

void NetworkSettings::setUseCurl(bool useCurl)
{
    m_useCurl = useCurl;
}

bool NetworkSettings::useCurl() const
{
    return m_useCurl;
}

void NetworkSettings::addRawHeader(const QByteArray& name, const QByteArray& value)
{
    QMutexLocker lock(&m_mutex);
    for (RawHeader& header : m_headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
            header.second = value;
            return;
        }
    }
    m_headers.append({ name, value });
}

void NetworkSettings::setCookies(const QByteArray& cookies)
{
    QMutexLocker lock(&m_mutex);
    m_cookies = cookies;
}

HttpRequest NetworkSettings::makeRequest(
    const QByteArray& method, const QString& url, const QByteArray& body, int timeMs) const
{
    HttpRequest request;
    request.method = method;
    request.url = url;
    request.body = body;
    request.timeMs = timeMs;
    QMutexLocker lock(&m_mutex);
    request.headers = m_headers;
    request.cookies = m_cookies;
    return request;
}

} // namespace network
} // namespace zov
