// Feeds arbitrary bytes through the remote configuration reply handling: JSON parsing,
// then taking the service addresses out of whatever object came back.
#include "app/Context.h"
#include "app/RemoteConfig.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    ContextData context;
    applyRemoteConfig(document.object(), context);
    return 0;
}
