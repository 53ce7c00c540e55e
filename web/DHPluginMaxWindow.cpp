#include "web/DHPluginMaxWindow.h"

#include "web/HybirdPluginManager.h"

void DHPluginMaxWindow::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_maxWindow();
    DHPluginBase::execute(request);
}
