#pragma once

#include <QMetaType>
#include <QString>

namespace zov {
namespace capture {

// The audio capture framework a caller asks for; this desktop has one.
enum class MicType
{
    SystemDefault = 1,
};

// A microphone.
struct AudioDeviceInfo
{
    // What the user sees in a device list; also the key the microphone is started by.
    QString name;
    // The microphone's position in the system's list.
    int index = 0;
};

} // namespace capture
} // namespace zov

Q_DECLARE_METATYPE(zov::capture::AudioDeviceInfo)
