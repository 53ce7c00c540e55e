#pragma once

#include "core/MediaBackendFactory.h"

namespace zov {
namespace media {

// The frameworks of this desktop: cameras through QCamera, microphones through
// QAudioInput, speakers through QAudioOutput. Every camera capture type maps to the
// same QCamera backend.
class QtMediaBackendFactory : public MediaBackendFactory
{
public:
    capture::CameraBackend* createCameraBackend(
        capture::CameraCaptureType type, QObject* parent) override;
    capture::MicBackend* createMicBackend(capture::MicType type, QObject* parent) override;
    player::SpeakerBackend* createSpeakerBackend(QObject* parent) override;
};

} // namespace media
} // namespace zov
