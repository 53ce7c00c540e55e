#include "web/DHPluginCheckUpdate.h"

#include "web/HybirdPluginManager.h"

void DHPluginCheckUpdate::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_checkUpdate();
    DHPluginBase::execute(request);
}
