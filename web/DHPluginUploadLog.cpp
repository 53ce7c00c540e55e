#include "web/DHPluginUploadLog.h"

#include "web/HybirdPluginManager.h"

void DHPluginUploadLog::execute(const QJsonObject& request)
{
    emit HybirdPluginManager::instance()->dh_sig_uploadLog();
    DHPluginBase::execute(request);
}
