#pragma once

#include "core/AudioDeviceInfo.h"
#include "core/CameraInfo.h"

class QObject;

namespace zov {
namespace capture {
class CameraBackend;
class MicBackend;
} // namespace capture
namespace player {
class SpeakerBackend;
} // namespace player

namespace media {

// Makes the framework objects behind CameraCapture, MicCapture and AudioPlayer. The
// program runs on QtMediaBackendFactory; a test may put devices of its own in its place.
class MediaBackendFactory
{
public:
    virtual ~MediaBackendFactory();

    virtual capture::CameraBackend* createCameraBackend(
        capture::CameraCaptureType type, QObject* parent)
        = 0;
    virtual capture::MicBackend* createMicBackend(capture::MicType type, QObject* parent) = 0;
    virtual player::SpeakerBackend* createSpeakerBackend(QObject* parent) = 0;

    // The factory every media class asks. GUI thread only.
    static MediaBackendFactory& current();
    // Puts factory (not owned) in place; nullptr returns to QtMultimedia.
    static void setCurrent(MediaBackendFactory* factory);
};

} // namespace media
} // namespace zov
