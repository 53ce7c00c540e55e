#include "web/DHPluginCloseWindow.h"

#include "web/HybirdPluginManager.h"

void DHPluginCloseWindow::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_closeWindow();
    DHPluginBase::execute(request);
}
