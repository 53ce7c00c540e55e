#pragma once

#include "core/CameraBackend.h"

struct ScriptedDevices;

// Cameras that exist only in a test: frames come when the test delivers them.
class ScriptedCameraBackend : public zov::capture::CameraBackend
{
    Q_OBJECT

public:
    ScriptedCameraBackend(ScriptedDevices& devices, QObject* parent);

    QString name() const override;
    QList<zov::capture::CameraInfo> cameras() override;
    bool start(const zov::capture::DesireCameraInfo& desired) override;
    void stop() override;

    bool isRunning() const { return m_running; }
    // Hands frame (rows bottom first, as every backend does) to the capture while the
    // camera runs.
    void deliver(const QImage& frame);

private:
    ScriptedDevices& m_devices;
    bool m_running = false;
};
