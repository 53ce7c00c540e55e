// Feeds arbitrary bytes as the service's answer to the hardware report and takes the
// verdict from it, as the hardware check does.
#include "devicedetect/HardwareVerdict.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QJsonDocument reply = QJsonDocument::fromJson(bytes);
    HardwareVerdict::fromReply(
        reply.isArray() ? QJsonValue(reply.array()) : QJsonValue(reply.object()));
    return 0;
}
