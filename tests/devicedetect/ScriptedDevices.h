#pragma once

#include "core/AudioDeviceInfo.h"
#include "core/CameraInfo.h"
#include "core/MediaBackendFactory.h"
#include "core/SpeakerDeviceInfo.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QStringList>

// The cameras, microphones and speakers a test offers the media classes, put behind every
// one of them for as long as this lives, and a record of what the program did with them.
struct ScriptedDevices : public zov::media::MediaBackendFactory
{
    ScriptedDevices();
    ~ScriptedDevices() override;
    Q_DISABLE_COPY(ScriptedDevices)

    zov::capture::CameraBackend* createCameraBackend(
        zov::capture::CameraCaptureType type, QObject* parent) override;
    zov::capture::MicBackend* createMicBackend(
        zov::capture::MicType type, QObject* parent) override;
    zov::player::SpeakerBackend* createSpeakerBackend(QObject* parent) override;

    void addCamera(const QString& name, const QList<zov::capture::CameraFormat>& formats);
    void addMic(const QString& name);
    void addSpeaker(const QString& name);

    // Hands frame (rows bottom first, as every backend does) to the capture while the newest
    // camera runs.
    void deliverFrame(const QImage& frame);
    // A block of a tone whose loudest sample is exactly peak, while the newest microphone runs.
    void deliverTone(int peak);

    QList<zov::capture::CameraInfo> cameras;
    QList<zov::capture::AudioDeviceInfo> mics;
    QList<zov::player::SpeakerDeviceInfo> speakers;
    // Devices that are listed but refuse to open.
    QStringList broken;

    int cameraListings = 0;
    int micListings = 0;
    int speakerListings = 0;
    QList<zov::capture::CameraCaptureType> cameraTypes;
    QList<zov::capture::DesireCameraInfo> cameraStarts;
    int cameraStops = 0;
    QStringList micStarts;
    QHash<QString, int> volumes;
    // Device names, in the order the test sound was started on them.
    QStringList soundStarts;
    int soundStops = 0;

    // The newest backends, while they live, and whether they run.
    QPointer<QObject> camera;
    QPointer<QObject> mic;
    bool cameraRunning = false;
    bool micRunning = false;
};
