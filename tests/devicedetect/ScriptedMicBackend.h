#pragma once

#include "core/MicBackend.h"

struct ScriptedDevices;

// Microphones that exist only in a test: samples come when the test delivers them.
class ScriptedMicBackend : public zov::capture::MicBackend
{
    Q_OBJECT

public:
    ScriptedMicBackend(ScriptedDevices& devices, QObject* parent);

    QString name() const override;
    QList<zov::capture::AudioDeviceInfo> devices() override;
    bool start(const zov::capture::AudioDeviceInfo& device) override;
    void stop() override;

    bool isRunning() const { return m_running; }
    // A block of a tone whose loudest sample is exactly peak, while the microphone runs.
    void deliverTone(int peak);

private:
    ScriptedDevices& m_devices;
    bool m_running = false;
};
