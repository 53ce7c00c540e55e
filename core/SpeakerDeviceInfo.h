#pragma once

#include <QMetaType>
#include <QString>

namespace zov {
namespace player {

// An audio output device.
struct SpeakerDeviceInfo
{
    // The device's position in the system's list.
    int index = 0;
    // Shown to the user and used as the device's key for volume, playback and the
    // remembered choice.
    QString name;
    // The system's longer description, when it has one.
    QString description;
    int channelCount = 0;
    int sampleRate = 0;
    bool isDefault = false;
};

} // namespace player
} // namespace zov

Q_DECLARE_METATYPE(zov::player::SpeakerDeviceInfo)
