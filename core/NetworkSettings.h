#pragma once

#include "core/HttpRequest.h"

#include <QMutex>

#include <atomic>

namespace zov {
namespace network {

// The process-wide request defaults. Helpers on any thread read them while the GUI
// thread may still be adding headers, hence the lock.
class NetworkSettings
{
public:
    static NetworkSettings& instance();

    void setUseCurl(bool useCurl);
    bool useCurl() const;
    // A header with a name already present replaces its value (names compare
    // case-insensitively, as HTTP does).
    void addRawHeader(const QByteArray& name, const QByteArray& value);
    void setCookies(const QByteArray& cookies);

    HttpRequest makeRequest(
        const QByteArray& method, const QString& url, const QByteArray& body, int timeMs) const;

private:
    NetworkSettings() = default;

    std::atomic<bool> m_useCurl { true };
    mutable QMutex m_mutex;
    QList<RawHeader> m_headers;
    QByteArray m_cookies;
};

} // namespace network
} // namespace zov
