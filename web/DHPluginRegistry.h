#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>

class DHPluginBase;

// Maps plugin names to plugin objects. A name's object is reused while it lives;
// once a plugin has retired itself the next request for the name makes a new one.
class DHPluginRegistry
{
public:
    // Creates a plugin without parent.
    using Factory = DHPluginBase* (*)();

    static DHPluginRegistry* instance();

    void registerPlugin(const QByteArray& name, Factory factory);
    // Null for a name nobody registered.
    DHPluginBase* getPlugin(const QString& name);

private:
    DHPluginRegistry() = default;

    QHash<QByteArray, Factory> m_factories;
    QMap<QString, QPointer<DHPluginBase>> m_plugins;
};

// Registers the ten plugins the pages use. Safe to call again.
void registerPlugins();
