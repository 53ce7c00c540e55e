#include "web/EnterRoomPlugin.h"

#include "web/HybirdPluginManager.h"

#include <QDebug>

void EnterRoomPlugin::execute(const QJsonObject& request)
{
    qInfo() << "root" << request;
    emit HybirdPluginManager::instance()->dh_sig_enterRoom(
        request.value(QStringLiteral("data")).toObject());
}
