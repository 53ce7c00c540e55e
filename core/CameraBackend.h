#pragma once

#include "core/CameraInfo.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

namespace zov {
namespace capture {

// What CameraCapture needs from a camera framework: the cameras with their formats, and
// frames from the one started.
class CameraBackend : public QObject
{
    Q_OBJECT

public:
    explicit CameraBackend(QObject* parent = nullptr);
    ~CameraBackend() override;

    // The framework's name, for the log.
    virtual QString name() const = 0;
    virtual QList<CameraInfo> cameras() = 0;
    // Starts the camera at desired.index with desired.format, stopping any other.
    virtual bool start(const DesireCameraInfo& desired) = 0;
    // After it returns no frame arrives any more.
    virtual void stop() = 0;

signals:
    // Rows bottom first, the order in which capture devices hand bitmaps to the Windows
    // capture library; callers flip them vertically to show them upright.
    void frameAvailable(const QImage& frame);
};

} // namespace capture
} // namespace zov
