#pragma once

#include "core/AudioDeviceInfo.h"
#include "core/CameraInfo.h"
#include "core/SpeakerDeviceInfo.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

class ScriptedCameraBackend;
class ScriptedMicBackend;

// The cameras, microphones and speakers a test offers the media classes, and a record
// of what the program did with them.
struct ScriptedDevices
{
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
    int micStops = 0;
    QHash<QString, int> volumes;
    // Device names, in the order the test sound was started on them.
    QStringList soundStarts;
    QByteArray lastSound;
    int soundStops = 0;

    // The newest backends, while they live.
    QPointer<ScriptedCameraBackend> camera;
    QPointer<ScriptedMicBackend> mic;

    void addCamera(const QString& name, const QList<zov::capture::CameraFormat>& formats);
    void addMic(const QString& name);
    void addSpeaker(const QString& name);
};
