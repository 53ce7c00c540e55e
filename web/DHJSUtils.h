#pragma once

#include "web/DHJSRequest.h"
#include "web/DHJSResponse.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVariantMap>

// Parses and builds the bridge's JSON messages. Stateless; one object serves the
// whole process and lives until it ends.
class DHJSUtils : public QObject
{
    Q_OBJECT
public:
    static DHJSUtils* instance();

public slots:
    // The caller owns the returned objects.
    DHJSRequest* createJsRequest(const QByteArray& message);
    DHJSResponse* createJsResponse(const QString& callbackId, bool isSuccess, bool isComplete,
        const QString& errorMessage, const QJsonObject& data);
    // An empty object when the text is not a JSON object.
    QJsonObject getJsonObjectFromString(const QByteArray& jsonString);
    QString getStringFromJsonObject(const QJsonObject& jsonObject);
    // The plugin configuration, application folder + "/pages/dhplugin.json": one
    // object per top-level member. Empty when the file is missing or not JSON.
    QVariantMap parseJson();

private:
    DHJSUtils() = default;
};
