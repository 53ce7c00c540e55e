#include "devicedetect/HardwareVerdict.h"

#include <QJsonObject>
#include <QString>

int HardwareVerdict::fromReply(const QJsonValue& reply)
{
    const QJsonValue verdict = reply.toObject()
                                   .value(QStringLiteral("data"))
                                   .toObject()
                                   .value(QStringLiteral("test_result_str"));
    // "建议" is the service's "good enough, but could be better": no reason to bother.
    if (verdict == QStringLiteral("达标") || verdict == QStringLiteral("建议"))
        return kSupported;
    if (verdict == QStringLiteral("不达标"))
        return kNotSupported;
    return kUnknown;
}

bool HardwareVerdict::isDisplaySupported(const QSize& screenSize)
{
    return screenSize == QSize(1920, 1080) || screenSize == QSize(1366, 768);
}

bool HardwareVerdict::needsNotice(int hardwareResult, bool displayOk)
{
    return hardwareResult != kSupported || !displayOk;
}
