#pragma once

#include "core/CameraBackend.h"

class QCamera;
class QCameraInfo;

namespace zov {
namespace capture {

class CameraFrameSurface;

// Cameras through QtMultimedia's QCamera.
class QtCameraBackend : public CameraBackend
{
    Q_OBJECT

public:
    // captureType is written into every format reported, as callers hand it back.
    QtCameraBackend(int captureType, QObject* parent = nullptr);
    ~QtCameraBackend() override;

    QString name() const override;
    QList<CameraInfo> cameras() override;
    bool start(const DesireCameraInfo& desired) override;
    void stop() override;

private:
    QList<CameraFormat> formatsOf(const QCameraInfo& info) const;
    void onCameraError();

    int m_captureType;
    CameraFrameSurface* m_surface;
    QCamera* m_camera = nullptr;
};

} // namespace capture
} // namespace zov
