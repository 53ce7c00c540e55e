#include "core/QtMediaBackendFactory.h"

#include "core/QtCameraBackend.h"
#include "core/QtMicBackend.h"
#include "core/QtSpeakerBackend.h"

namespace zov {
namespace media {

capture::CameraBackend* QtMediaBackendFactory::createCameraBackend(
    capture::CameraCaptureType type, QObject* parent)
{
    return new capture::QtCameraBackend(static_cast<int>(type), parent);
}

capture::MicBackend* QtMediaBackendFactory::createMicBackend(capture::MicType, QObject* parent)
{
    return new capture::QtMicBackend(parent);
}

player::SpeakerBackend* QtMediaBackendFactory::createSpeakerBackend(QObject* parent)
{
    return new player::QtSpeakerBackend(parent);
}

} // namespace media
} // namespace zov
