#include "ScriptedSpeakerBackend.h"

#include "ScriptedDevices.h"

ScriptedSpeakerBackend::ScriptedSpeakerBackend(ScriptedDevices& devices, QObject* parent)
    : SpeakerBackend(parent)
    , m_devices(devices)
{ }

QString ScriptedSpeakerBackend::name() const
{
    return QStringLiteral("scripted");
}

QList<zov::player::SpeakerDeviceInfo> ScriptedSpeakerBackend::devices()
{
    ++m_devices.speakerListings;
    return m_devices.speakers;
}

bool ScriptedSpeakerBackend::setVolume(const QString& device, int volume)
{
    m_devices.volumes.insert(device, volume);
    return true;
}

int ScriptedSpeakerBackend::volume(const QString& device) const
{
    return m_devices.volumes.value(device, 100);
}

bool ScriptedSpeakerBackend::play(const QString& device, const QByteArray& pcm, const QAudioFormat&)
{
    m_devices.soundStarts << device;
    m_devices.lastSound = pcm;
    return !m_devices.broken.contains(device);
}

void ScriptedSpeakerBackend::stop()
{
    ++m_devices.soundStops;
}
