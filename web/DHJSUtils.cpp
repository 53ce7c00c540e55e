#include "web/DHJSUtils.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

DHJSUtils* DHJSUtils::instance()
{
    // Never destroyed: responses may still be built while the application shuts down.
    static DHJSUtils* utils = new DHJSUtils;
    return utils;
}

DHJSRequest* DHJSUtils::createJsRequest(const QByteArray& message)
{
    const QJsonObject object = getJsonObjectFromString(message);
    auto* request = new DHJSRequest;
    request->setCallbackId(object.value(QStringLiteral("callbackId")).toString());
    request->setPlugin(object.value(QStringLiteral("plugin")).toString());
    request->setSdkVersion(object.value(QStringLiteral("sdkVersion")).toString());
    request->setData(object.value(QStringLiteral("data")).toObject());
    return request;
}

DHJSResponse* DHJSUtils::createJsResponse(const QString& callbackId, bool isSuccess,
    bool isComplete, const QString& errorMessage, const QJsonObject& data)
{
    auto* response = new DHJSResponse;
    response->setCallbackId(callbackId);
    response->setStatus(isSuccess ? 1 : 0);
    response->setComplete(isComplete ? 1 : 0);
    response->setErrorMessage(errorMessage);
    response->setData(data);
    return response;
}

QJsonObject DHJSUtils::getJsonObjectFromString(const QByteArray& jsonString)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(jsonString, &error);
    if (document.isNull())
        qWarning().noquote() << "%%%% jsonDocument null";
    if (error.error != QJsonParseError::NoError) {
        qWarning().noquote() << "===> please check the string" << error.error;
        return QJsonObject();
    }
    return document.object();
}

QString DHJSUtils::getStringFromJsonObject(const QJsonObject& jsonObject)
{
    return QString::fromUtf8(QJsonDocument(jsonObject).toJson(QJsonDocument::Indented));
}

QVariantMap DHJSUtils::parseJson()
{
    const QString path
        = QCoreApplication::applicationDirPath() + QStringLiteral("/pages/dhplugin.json");
    qDebug().noquote() << QStringLiteral("[DHJSUtils] ") + path;
    QFile file(path);
    QByteArray content;
    if (file.open(QIODevice::ReadOnly))
        content = file.readAll();
    else
        qWarning().noquote() << "could't open projects json";

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning().noquote() << "json error!";

    QVariantMap plugins;
    const QJsonObject root = document.object();
    for (auto it = root.constBegin(); it != root.constEnd(); ++it)
        plugins.insert(it.key(), it.value().toObject());
    return plugins;
}
