#pragma once

#include "core/CameraInfo.h"
#include "core/QtMediaBackendFactory.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QStringList>

// The cameras a test offers the media classes, put in place for as long as this lives,
// and a record of what the program did with them. This machine has no camera; its
// microphones and speakers stay the real ones.
struct ScriptedCameras : public zov::media::QtMediaBackendFactory
{
    ScriptedCameras();
    ~ScriptedCameras() override;
    Q_DISABLE_COPY(ScriptedCameras)

    zov::capture::CameraBackend* createCameraBackend(
        zov::capture::CameraCaptureType type, QObject* parent) override;

    void addCamera(const QString& name, const QList<zov::capture::CameraFormat>& formats);
    // Hands frame (rows bottom first, as every backend does) to the capture while the newest
    // camera runs.
    void deliverFrame(const QImage& frame);

    QList<zov::capture::CameraInfo> cameras;
    // Cameras that are listed but refuse to open.
    QStringList broken;

    int listings = 0;
    QList<zov::capture::CameraCaptureType> types;
    QList<zov::capture::DesireCameraInfo> starts;
    int stops = 0;
    // The newest backend, while it lives, and whether it runs.
    QPointer<QObject> camera;
    bool running = false;
};
