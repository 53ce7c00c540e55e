#include "web/HybirdPluginManager.h"

HybirdPluginManager* HybirdPluginManager::instance()
{
    // Lives until the process ends: plugins deleted late may still signal through it.
    static HybirdPluginManager* manager = new HybirdPluginManager;
    return manager;
}
