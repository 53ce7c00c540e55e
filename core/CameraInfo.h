#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace zov {
namespace capture {

// The capture framework a caller asks for. The values are the ones callers store in
// their settings; on this desktop all three are served by QtMultimedia.
enum class CameraCaptureType
{
    QtMultimedia = 1,
    MediaFoundation = 2,
    VideoInput = 4,
};

// One way a camera can deliver pictures.
struct CameraFormat
{
    int width = 0;
    int height = 0;
    double frameRate = 0.0;
    // The pixel layout as the device reports it, for the log ("YUYV", "MJPEG", ...).
    QString pixelFormat;
    int captureType = static_cast<int>(CameraCaptureType::VideoInput);
};

struct CameraInfo
{
    // The camera's position in the system's camera list.
    int index = 0;
    // What the user sees in a device list.
    QString name;
    // The system's own identifier of the device, such as "/dev/video0".
    QString devicePath;
    QList<CameraFormat> formats;
};

// The camera and format a caller wants started.
struct DesireCameraInfo
{
    int index = 0;
    QString name;
    CameraFormat format;
};

} // namespace capture
} // namespace zov

Q_DECLARE_METATYPE(zov::capture::CameraFormat)
Q_DECLARE_METATYPE(zov::capture::CameraInfo)
Q_DECLARE_METATYPE(zov::capture::DesireCameraInfo)
