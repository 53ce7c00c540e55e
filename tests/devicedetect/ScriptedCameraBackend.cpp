#include "ScriptedCameraBackend.h"

#include "ScriptedDevices.h"

ScriptedCameraBackend::ScriptedCameraBackend(ScriptedDevices& devices, QObject* parent)
    : CameraBackend(parent)
    , m_devices(devices)
{ }

QString ScriptedCameraBackend::name() const
{
    return QStringLiteral("scripted");
}

QList<zov::capture::CameraInfo> ScriptedCameraBackend::cameras()
{
    ++m_devices.cameraListings;
    return m_devices.cameras;
}

bool ScriptedCameraBackend::start(const zov::capture::DesireCameraInfo& desired)
{
    m_devices.cameraStarts << desired;
    m_running = desired.index >= 0 && desired.index < m_devices.cameras.size()
        && !m_devices.broken.contains(desired.name);
    return m_running;
}

void ScriptedCameraBackend::stop()
{
    ++m_devices.cameraStops;
    m_running = false;
}

void ScriptedCameraBackend::deliver(const QImage& frame)
{
    if (m_running) {
        emit frameAvailable(frame);
    }
}
