#pragma once

#include <QObject>
#include <QVariantMap>

// The plugin configuration file's content, read once when first asked for.
class DHPluginManager : public QObject
{
    Q_OBJECT
public:
    static DHPluginManager* instance();

    QVariantMap pluginConfig() const { return m_pluginConfig; }

private:
    DHPluginManager();

    QVariantMap m_pluginConfig;
};
