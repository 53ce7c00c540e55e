#include "ScriptedMediaFactory.h"

#include "ScriptedCameraBackend.h"
#include "ScriptedDevices.h"
#include "ScriptedMicBackend.h"
#include "ScriptedSpeakerBackend.h"

ScriptedMediaFactory::ScriptedMediaFactory(ScriptedDevices& devices)
    : m_devices(devices)
{
    setCurrent(this);
}

ScriptedMediaFactory::~ScriptedMediaFactory()
{
    setCurrent(nullptr);
}

zov::capture::CameraBackend* ScriptedMediaFactory::createCameraBackend(
    zov::capture::CameraCaptureType type, QObject* parent)
{
    m_devices.cameraTypes << type;
    auto* backend = new ScriptedCameraBackend(m_devices, parent);
    m_devices.camera = backend;
    return backend;
}

zov::capture::MicBackend* ScriptedMediaFactory::createMicBackend(
    zov::capture::MicType, QObject* parent)
{
    auto* backend = new ScriptedMicBackend(m_devices, parent);
    m_devices.mic = backend;
    return backend;
}

zov::player::SpeakerBackend* ScriptedMediaFactory::createSpeakerBackend(QObject* parent)
{
    return new ScriptedSpeakerBackend(m_devices, parent);
}
