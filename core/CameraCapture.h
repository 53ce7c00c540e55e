#pragma once

#include "core/CameraInfo.h"

#include <QImage>
#include <QList>
#include <QObject>

#include <atomic>

namespace zov {
namespace capture {

class CameraBackend;

// One camera: the system's cameras with their formats, and the frames of the camera
// started, flipped as asked.
class CameraCapture : public QObject
{
    Q_OBJECT

public:
    CameraCapture(QObject* parent, const CameraCaptureType& type);
    ~CameraCapture() override;

    CameraCaptureType type() const { return m_type; }
    QList<CameraInfo> getCamerasInfo();
    bool start(const DesireCameraInfo& info);
    // No frame is emitted after it returns.
    void stop();
    // Frames arrive with their rows bottom first, as from the Windows capture library:
    // verRotate(true) turns them upright. Both apply to the frames that follow.
    void verRotate(bool on);
    void horRotate(bool on);

signals:
    void imageAvailable(const QImage& image);

private:
    void onFrameAvailable(const QImage& frame);

    CameraCaptureType m_type;
    CameraBackend* m_backend;
    bool m_running = false;
    std::atomic<bool> m_vertical { false };
    std::atomic<bool> m_horizontal { false };
};

} // namespace capture
} // namespace zov
