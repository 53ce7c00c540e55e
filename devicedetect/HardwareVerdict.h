#pragma once

#include <QJsonValue>
#include <QSize>

// How the hardware report's reply and the screen size are judged.
class HardwareVerdict
{
public:
    static constexpr int kSupported = 1;
    static constexpr int kNotSupported = 0;
    static constexpr int kUnknown = -1;

    // "data"."test_result_str" of the service's reply as one of the three results.
    static int fromReply(const QJsonValue& reply);
    // Only the two resolutions the lesson pages are laid out for; larger ones fail too.
    static bool isDisplaySupported(const QSize& screenSize);
    static bool needsNotice(int hardwareResult, bool displayOk);
};
