#pragma once

#include <httplib.h>

#include <QJsonObject>

#include <optional>
#include <string>

namespace zovservice {

// The JSON side of the APIs: every answer, errors included, is a JSON object with
// "code" and "msg", as the real service sends them.
class JsonReply
{
public:
    static void send(httplib::Response& response, int status, const QJsonObject& object);
    static void sendError(httplib::Response& response, int status, const std::string& message);
    // The body as a JSON object; nothing for anything else, garbage included.
    static std::optional<QJsonObject> parseObject(const std::string& body);
};

} // namespace zovservice
