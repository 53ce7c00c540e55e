#pragma once

#include "core/AudioDeviceInfo.h"
#include "core/CameraInfo.h"
#include "core/SpeakerDeviceInfo.h"

#include <QDialog>
#include <QImage>
#include <QList>

#include <atomic>

namespace Ui {
class DeviceDetect;
}

namespace zov {
namespace capture {
class CameraCapture;
class MicCapture;
} // namespace capture
namespace player {
class AudioPlayer;
} // namespace player
} // namespace zov

class DeviceComboBox;
class QLabel;
class VolumeLabel;

// The device check before a lesson: the live camera picture with mirror switches, a level
// meter that follows the microphone, and a test sound on the chosen speaker with its
// volume. The speaker confirmed with "确定设备" is remembered for the next time.
//
// The opener calls initSpeaker() once and then runs exec().
class DeviceDetect : public QDialog
{
    Q_OBJECT

public:
    explicit DeviceDetect(QWidget* parent = nullptr);
    ~DeviceDetect() override;

    // Lists the speakers, sets each to the test volume, chooses the remembered one and
    // starts the test sound on it.
    void initSpeaker();

private slots:
    void onImageAvailable(QImage image);
    void onCameraIndexChanged(int index);
    void onAudioVolumeChanged(unsigned int volume, unsigned int maximum);
    void onAudioIndexChanged(int index);
    void onSpeakerIndexChanged(int index);
    void onSetVolumeSize(int value);
    void onVStateChanged(int state);
    void onHStateChanged(int state);
    void onSaveClicked();
    void onCloseClicked();
    void onRefrashClicked();
    void initUI();

private:
    DeviceComboBox* createDeviceList(const char* name, const QPoint& position);
    void initCameraCombox();
    void createCamera();
    void startCameraCapture(int index);
    // Puts problem in place of the tip under a device, in the warning colour; an empty
    // problem brings the tip back.
    void showProblem(QLabel* tip, const QString& problem);
    void startTestSound(const QString& speaker);
    void deleteCamera();
    void initMicCombox();
    void createMic();
    void startMicCapture(int index);
    void deleteMic();
    void fillSpeakerList();
    void stopAllDevices();

    Ui::DeviceDetect* m_ui;
    VolumeLabel* m_volumeLabel = nullptr;
    zov::capture::CameraCapture* m_camera = nullptr;
    int m_captureType = 4;
    QList<zov::capture::CameraInfo> m_cameras;
    DeviceComboBox* m_cameraCombo = nullptr;
    DeviceComboBox* m_micCombo = nullptr;
    DeviceComboBox* m_speakerCombo = nullptr;
    zov::capture::MicCapture* m_mic = nullptr;
    QList<zov::capture::AudioDeviceInfo> m_mics;
    zov::player::AudioPlayer* m_player = nullptr;
    QList<zov::player::SpeakerDeviceInfo> m_speakers;
    std::atomic<bool> m_speakerReady { false };
    std::atomic<int> m_speakerIndex { 0 };
};
