#include "web/DHPluginManager.h"

#include "web/DHJSUtils.h"

DHPluginManager* DHPluginManager::instance()
{
    static DHPluginManager* manager = new DHPluginManager;
    return manager;
}

DHPluginManager::DHPluginManager()
    : m_pluginConfig(DHJSUtils::instance()->parseJson())
{ }
