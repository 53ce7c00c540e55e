#include "web/DHPluginMinWindow.h"

#include "web/HybirdPluginManager.h"

void DHPluginMinWindow::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_minWindow();
    DHPluginBase::execute(request);
}
