#include "service/JsonReply.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

namespace zovservice {

void JsonReply::send(httplib::Response& response, int status, const QJsonObject& object)
{
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    response.status = status;
    response.set_content(json.toStdString(), "application/json; charset=utf-8");
}

void JsonReply::sendError(httplib::Response& response, int status, const std::string& message)
{
    QJsonObject object;
    object.insert(QStringLiteral("code"), status);
    object.insert(QStringLiteral("msg"), QString::fromStdString(message));
    send(response, status, object);
}

std::optional<QJsonObject> JsonReply::parseObject(const std::string& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(body), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace zovservice
