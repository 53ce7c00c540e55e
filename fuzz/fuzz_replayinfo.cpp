// Feeds arbitrary bytes, as the service's replay-information reply, to the reader that
// turns it into the player's video addresses and the lesson's values.
#include "app/Context.h"
#include "replay/ReplayInfo.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QJsonDocument reply = QJsonDocument::fromJson(bytes);
    QString failureText;
    const std::optional<ReplayInfo> info
        = ReplayInfo::fromReply(true, reply.object(), QStringLiteral("fuzz"), failureText);
    if (info) {
        ContextData context;
        info->storeIn(context);
    }
    return 0;
}
