#include "web/DHPluginRegistry.h"

#include "web/DHPluginAboutAs.h"
#include "web/DHPluginCheckUpdate.h"
#include "web/DHPluginCloseWindow.h"
#include "web/DHPluginGetVersion.h"
#include "web/DHPluginMaxWindow.h"
#include "web/DHPluginMinWindow.h"
#include "web/DHPluginOpenDeviceMonitor.h"
#include "web/DHPluginUploadLog.h"
#include "web/DHPluginWindowMove.h"
#include "web/EnterRoomPlugin.h"

namespace {

template<class Plugin> DHPluginBase* createPlugin()
{
    return new Plugin;
}

} // namespace

DHPluginRegistry* DHPluginRegistry::instance()
{
    // Lives until the process ends; the plugins it handed out retire themselves.
    static DHPluginRegistry* registry = new DHPluginRegistry;
    return registry;
}

void DHPluginRegistry::registerPlugin(const QByteArray& name, Factory factory)
{
    m_factories.insert(name, factory);
}

DHPluginBase* DHPluginRegistry::getPlugin(const QString& name)
{
    const QPointer<DHPluginBase> alive = m_plugins.value(name);
    if (alive)
        return alive;
    const Factory factory = m_factories.value(name.toUtf8());
    DHPluginBase* plugin = factory ? factory() : nullptr;
    m_plugins.insert(name, plugin);
    return plugin;
}

void registerPlugins()
{
    DHPluginRegistry* registry = DHPluginRegistry::instance();
    registry->registerPlugin("common.maxWindow", createPlugin<DHPluginMaxWindow>);
    registry->registerPlugin("common.closeWindow", createPlugin<DHPluginCloseWindow>);
    registry->registerPlugin("common.minWindow", createPlugin<DHPluginMinWindow>);
    registry->registerPlugin("common.getVersion", createPlugin<DHPluginGetVersion>);
    registry->registerPlugin("common.openDeviceMonitor", createPlugin<DHPluginOpenDeviceMonitor>);
    registry->registerPlugin("common.checkUpdate", createPlugin<DHPluginCheckUpdate>);
    registry->registerPlugin("common.aboutUs", createPlugin<DHPluginAboutAs>);
    registry->registerPlugin("common.upLoadLog", createPlugin<DHPluginUploadLog>);
    registry->registerPlugin("common.windowMove", createPlugin<DHPluginWindowMove>);
    registry->registerPlugin("common.enterRoom", createPlugin<EnterRoomPlugin>);
}
