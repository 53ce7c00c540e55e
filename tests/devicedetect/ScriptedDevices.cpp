#include "ScriptedDevices.h"

void ScriptedDevices::addCamera(
    const QString& name, const QList<zov::capture::CameraFormat>& formats)
{
    zov::capture::CameraInfo camera;
    camera.index = cameras.size();
    camera.name = name;
    camera.devicePath = QStringLiteral("/dev/video%1").arg(camera.index);
    camera.formats = formats;
    cameras << camera;
}

void ScriptedDevices::addMic(const QString& name)
{
    mics << zov::capture::AudioDeviceInfo { name, int(mics.size()) };
}

void ScriptedDevices::addSpeaker(const QString& name)
{
    zov::player::SpeakerDeviceInfo speaker;
    speaker.index = speakers.size();
    speaker.name = name;
    speaker.channelCount = 2;
    speaker.sampleRate = 48000;
    speaker.isDefault = speakers.isEmpty();
    speakers << speaker;
}
