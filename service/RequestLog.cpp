#include "service/RequestLog.h"

#include <QString>

namespace zovservice {

namespace {

// cpp-httplib files the connection's addresses among the headers; no client sent them.
bool isConnectionDetail(const std::string& name)
{
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR"
        || name == "LOCAL_PORT";
}

} // namespace

void RequestLog::record(const httplib::Request& request)
{
    QJsonObject entry;
    entry.insert(QStringLiteral("method"), QString::fromStdString(request.method));
    entry.insert(QStringLiteral("path"), QString::fromStdString(request.path));
    entry.insert(QStringLiteral("headers"), headersOf(request));
    entry.insert(QStringLiteral("body"), QString::fromStdString(request.body));

    std::lock_guard<std::mutex> lock(m_mutex);
    m_last[request.path] = entry;
}

std::optional<QJsonObject> RequestLog::last(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_last.find(path);
    if (found == m_last.end())
        return std::nullopt;
    return found->second;
}

QJsonObject RequestLog::headersOf(const httplib::Request& request)
{
    QJsonObject headers;
    for (const auto& [name, value] : request.headers) {
        if (isConnectionDetail(name))
            continue;
        const QString key = QString::fromStdString(name);
        const QString text = QString::fromStdString(value);
        headers.insert(key,
            headers.contains(key) ? headers.value(key).toString() + QStringLiteral(", ") + text
                                  : text);
    }
    return headers;
}

} // namespace zovservice
