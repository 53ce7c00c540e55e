#include "ScriptedDevices.h"

#include "AlsaTestDevices.h"
#include "core/CameraBackend.h"
#include "core/MicBackend.h"
#include "core/SpeakerBackend.h"

namespace {

using zov::capture::AudioDeviceInfo;
using zov::capture::CameraInfo;
using zov::capture::DesireCameraInfo;
using zov::player::SpeakerDeviceInfo;

// The backends only report to the record; the test plays the devices through it.
class ScriptedCamera : public zov::capture::CameraBackend
{
public:
    ScriptedCamera(ScriptedDevices& devices, QObject* parent)
        : CameraBackend(parent)
        , m_devices(devices)
    { }

    QString name() const override { return QStringLiteral("scripted"); }
    QList<CameraInfo> cameras() override
    {
        ++m_devices.cameraListings;
        return m_devices.cameras;
    }
    bool start(const DesireCameraInfo& desired) override
    {
        m_devices.cameraStarts << desired;
        m_devices.cameraRunning = desired.index >= 0 && desired.index < m_devices.cameras.size()
            && !m_devices.broken.contains(desired.name);
        return m_devices.cameraRunning;
    }
    void stop() override
    {
        ++m_devices.cameraStops;
        m_devices.cameraRunning = false;
    }

private:
    ScriptedDevices& m_devices;
};

class ScriptedMic : public zov::capture::MicBackend
{
public:
    ScriptedMic(ScriptedDevices& devices, QObject* parent)
        : MicBackend(parent)
        , m_devices(devices)
    { }

    QString name() const override { return QStringLiteral("scripted"); }
    QList<AudioDeviceInfo> devices() override
    {
        ++m_devices.micListings;
        return m_devices.mics;
    }
    bool start(const AudioDeviceInfo& device) override
    {
        m_devices.micStarts << device.name;
        m_devices.micRunning = !m_devices.broken.contains(device.name);
        return m_devices.micRunning;
    }
    void stop() override { m_devices.micRunning = false; }

private:
    ScriptedDevices& m_devices;
};

class ScriptedSpeakers : public zov::player::SpeakerBackend
{
public:
    ScriptedSpeakers(ScriptedDevices& devices, QObject* parent)
        : SpeakerBackend(parent)
        , m_devices(devices)
    { }

    QString name() const override { return QStringLiteral("scripted"); }
    QList<SpeakerDeviceInfo> devices() override
    {
        ++m_devices.speakerListings;
        return m_devices.speakers;
    }
    bool setVolume(const QString& device, int volume) override
    {
        m_devices.volumes.insert(device, volume);
        return true;
    }
    int volume(const QString& device) const override
    {
        return m_devices.volumes.value(device, 100);
    }
    bool play(const QString& device, const QByteArray&, const QAudioFormat&) override
    {
        m_devices.soundStarts << device;
        return !m_devices.broken.contains(device);
    }
    void stop() override { ++m_devices.soundStops; }

private:
    ScriptedDevices& m_devices;
};

} // namespace

ScriptedDevices::ScriptedDevices()
{
    setCurrent(this);
}

ScriptedDevices::~ScriptedDevices()
{
    setCurrent(nullptr);
}

zov::capture::CameraBackend* ScriptedDevices::createCameraBackend(
    zov::capture::CameraCaptureType type, QObject* parent)
{
    cameraTypes << type;
    auto* backend = new ScriptedCamera(*this, parent);
    camera = backend;
    return backend;
}

zov::capture::MicBackend* ScriptedDevices::createMicBackend(zov::capture::MicType, QObject* parent)
{
    auto* backend = new ScriptedMic(*this, parent);
    mic = backend;
    return backend;
}

zov::player::SpeakerBackend* ScriptedDevices::createSpeakerBackend(QObject* parent)
{
    return new ScriptedSpeakers(*this, parent);
}

void ScriptedDevices::addCamera(
    const QString& name, const QList<zov::capture::CameraFormat>& formats)
{
    CameraInfo info;
    info.index = cameras.size();
    info.name = name;
    info.devicePath = QStringLiteral("/dev/video%1").arg(info.index);
    info.formats = formats;
    cameras << info;
}

void ScriptedDevices::addMic(const QString& name)
{
    mics << AudioDeviceInfo { name, int(mics.size()) };
}

void ScriptedDevices::addSpeaker(const QString& name)
{
    SpeakerDeviceInfo speaker;
    speaker.index = speakers.size();
    speaker.name = name;
    speaker.channelCount = 2;
    speaker.sampleRate = 48000;
    speaker.isDefault = speakers.isEmpty();
    speakers << speaker;
}

void ScriptedDevices::deliverFrame(const QImage& frame)
{
    if (camera && cameraRunning)
        emit static_cast<zov::capture::CameraBackend*>(camera.data())->frameAvailable(frame);
}

void ScriptedDevices::deliverTone(int peak)
{
    if (mic && micRunning)
        emit static_cast<zov::capture::MicBackend*>(mic.data())
            ->samplesCaptured(AlsaTestDevices::tone(peak, 320));
}
