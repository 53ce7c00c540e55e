// Feeds arbitrary bytes through the bridge the way the main window dispatches a page's
// message: the envelope, then the plugin it names with the request as it stands.
#include "QuietQt.h"
#include "web/DHJSUtils.h"
#include "web/DHPluginBase.h"
#include "web/DHPluginRegistry.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startQuietApplication(argc, argv);
    registerPlugins();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QJsonObject request = DHJSUtils::instance()->getJsonObjectFromString(bytes);
    const QString name = request.value(QStringLiteral("plugin")).toString();
    if (DHPluginBase* plugin = DHPluginRegistry::instance()->getPlugin(name))
        plugin->execute(request);
    // Answered plugins retire through deleteLater.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
