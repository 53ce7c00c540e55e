#pragma once

#include "core/MediaBackendFactory.h"

struct ScriptedDevices;

// Puts a test's scripted devices behind every media class for as long as it lives.
class ScriptedMediaFactory : public zov::media::MediaBackendFactory
{
public:
    explicit ScriptedMediaFactory(ScriptedDevices& devices);
    ~ScriptedMediaFactory() override;

    zov::capture::CameraBackend* createCameraBackend(
        zov::capture::CameraCaptureType type, QObject* parent) override;
    zov::capture::MicBackend* createMicBackend(
        zov::capture::MicType type, QObject* parent) override;
    zov::player::SpeakerBackend* createSpeakerBackend(QObject* parent) override;

private:
    ScriptedDevices& m_devices;
};
