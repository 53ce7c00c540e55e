#include "web/DHPluginOpenDeviceMonitor.h"

#include "web/HybirdPluginManager.h"

void DHPluginOpenDeviceMonitor::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_deviceMonitor();
    DHPluginBase::execute(request);
}
