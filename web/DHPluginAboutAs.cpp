#include "web/DHPluginAboutAs.h"

#include "web/HybirdPluginManager.h"

void DHPluginAboutAs::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_aboutAs();
    DHPluginBase::execute(request);
}
