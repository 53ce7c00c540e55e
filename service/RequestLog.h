#pragma once

#include <httplib.h>

#include <QJsonObject>

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace zovservice {

// The last request that arrived on each path, with its headers as the client sent them,
// so that tests can check what a client put on the wire. A request may be recorded twice:
// before routing, when only its headers are known, and again by its handler with the body.
// cpp-httplib drops headers with an empty value and percent-decodes the others, so an
// empty header shows as a missing one.
class RequestLog
{
public:
    void record(const httplib::Request& request);
    // {"method","path","headers","body"} of the last request on path; nothing when none came.
    std::optional<QJsonObject> last(const std::string& path) const;

private:
    static QJsonObject headersOf(const httplib::Request& request);

    mutable std::mutex m_mutex;
    std::map<std::string, QJsonObject> m_last;
};

} // namespace zovservice
