#include "devicedetect/DeviceDetect.h"

#include "app/Settings.h"
#include "core/AudioPlayer.h"
#include "core/CameraCapture.h"
#include "core/MicCapture.h"
#include "devicedetect/DeviceComboBox.h"
#include "devicedetect/VolumeLabel.h"
#include "platform/Platform.h"
#include "ui_DeviceDetect.h"

#include <QDebug>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

using zov::capture::AudioDeviceInfo;
using zov::capture::CameraCapture;
using zov::capture::CameraCaptureType;
using zov::capture::CameraFormat;
using zov::capture::CameraInfo;
using zov::capture::DesireCameraInfo;
using zov::capture::MicCapture;
using zov::capture::MicType;
using zov::player::AudioPlayer;

namespace {

const char kRegistryKey[] = "HKEY_CURRENT_USER\\Software\\zov1v1-stu";
const char kSpeakerValue[] = "speaker";
// 1 s of raw samples in AudioPlayer::rawSoundFormat(): a 440 Hz beep of 0.4 s, then
// silence, so that the loop sounds as a beep every second.
const char kTestSound[] = ":/detect/devicedetect/test.pcm";
constexpr int kTestVolume = 35;

// Cameras slower than this look jerky; a faster format of the same size is preferred.
constexpr double kSmoothFrameRate = 12.0;
constexpr int kPreferredMinimumWidth = 320;
constexpr int kPictureWidth = 93;
constexpr int kPictureHeight = 79;

QString resourceText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

CameraCaptureType captureTypeSetting()
{
    const QString openType
        = readSetting(QStringLiteral("CameraOption"), QStringLiteral("openType")).toString();
    if (openType == QLatin1String("QT")) {
        return CameraCaptureType::QtMultimedia;
    }
    if (openType == QLatin1String("MF")) {
        return CameraCaptureType::MediaFoundation;
    }
    return CameraCaptureType::VideoInput;
}

// The narrowest format at least 320 wide (the narrowest of all when none is), and of its
// width the slowest that is still smooth, when the one found is not.
CameraFormat chooseCameraFormat(QList<CameraFormat> formats, int captureType)
{
    CameraFormat chosen;
    chosen.width = 320;
    chosen.height = 240;
    chosen.frameRate = 30.0;
    chosen.captureType = captureType;
    std::stable_sort(
        formats.begin(), formats.end(), [](const CameraFormat& a, const CameraFormat& b) {
            return a.width != b.width ? a.width < b.width : a.frameRate < b.frameRate;
        });
    if (formats.isEmpty()) {
        return chosen;
    }
    chosen = formats.first();
    const auto wide = std::find_if(formats.cbegin(), formats.cend(),
        [](const CameraFormat& format) { return format.width >= kPreferredMinimumWidth; });
    if (wide != formats.cend()) {
        chosen = *wide;
    }
    for (const CameraFormat& format : qAsConst(formats)) {
        if (chosen.frameRate >= kSmoothFrameRate) {
            break;
        }
        if (format.width == chosen.width && format.frameRate > chosen.frameRate) {
            chosen = format;
        }
    }
    return chosen;
}

} // namespace

DeviceDetect::DeviceDetect(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::DeviceDetect)
{
    Q_INIT_RESOURCE(device_check);
    m_ui->setupUi(this);
    setStyleSheet(resourceText(QStringLiteral(":/detect/devicedetect/DeviceDetect.qss")));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // On the backdrop rather than the dialog: the meter repaints every 30 ms, and an
    // effect on a parent would blur the whole dialog again each time.
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(12);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(0, 0, 0, 60));
    m_ui->frame_back->setGraphicsEffect(shadow);

    initUI();
    initCameraCombox();
    initMicCombox();
}

DeviceDetect::~DeviceDetect()
{
    m_speakerReady = false;
    deleteCamera();
    deleteMic();
    if (m_player) {
        m_player->stop();
    }
    delete m_ui;
}

void DeviceDetect::initUI()
{
    m_cameraCombo = createDeviceList("cameraCombo", QPoint(132, 68));
    m_micCombo = createDeviceList("micCombo", QPoint(132, 236));
    m_speakerCombo = createDeviceList("speakerCombo", QPoint(132, 361));
    m_cameraCombo->setEmptyText(QStringLiteral("未检测到摄像头，请连接后点击刷新"));
    m_micCombo->setEmptyText(QStringLiteral("未检测到麦克风，请连接后点击刷新"));
    m_speakerCombo->setEmptyText(QStringLiteral("未检测到扬声器或耳机"));

    m_volumeLabel = new VolumeLabel(m_ui->widget);
    m_volumeLabel->setObjectName(QStringLiteral("volumeLabel"));
    m_volumeLabel->setGeometry(163, 304, 264, 19);

    m_ui->hslider_volume->setRange(0, 100);
    m_ui->hslider_volume->setSingleStep(1);
    connect(m_ui->hslider_volume, &QSlider::valueChanged, this, &DeviceDetect::onSetVolumeSize);
    connect(m_ui->checkBox_v, &QCheckBox::stateChanged, this, &DeviceDetect::onVStateChanged);
    connect(m_ui->checkBox_h, &QCheckBox::stateChanged, this, &DeviceDetect::onHStateChanged);
    connect(m_ui->pushButton_close, &QPushButton::clicked, this, &DeviceDetect::onCloseClicked);
    connect(m_ui->pushButton_ok, &QPushButton::clicked, this, &DeviceDetect::onSaveClicked);
    connect(m_ui->pushButton_refrash, &QPushButton::clicked, this, &DeviceDetect::onRefrashClicked);
    connect(m_speakerCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &DeviceDetect::onSpeakerIndexChanged);
}

DeviceComboBox* DeviceDetect::createDeviceList(const char* name, const QPoint& position)
{
    auto* list = new DeviceComboBox(m_ui->widget);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(QRect(position, QSize(323, 30)));
    list->setStyleSheet(resourceText(QStringLiteral(":/detect/devicedetect/DeviceComboBox.qss")));
    return list;
}

void DeviceDetect::initCameraCombox()
{
    disconnect(m_cameraCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &DeviceDetect::onCameraIndexChanged);
    if (!m_camera) {
        createCamera();
    }
    m_cameraCombo->clear();
    if (m_cameras.isEmpty()) {
        m_ui->label_head->setText(QStringLiteral("未检测到摄像头"));
        qWarning() << "void __thiscall DeviceDetect::initCameraCombox(void)"
                   << "not find camera";
        return;
    }
    for (const CameraInfo& camera : qAsConst(m_cameras)) {
        m_cameraCombo->addItem(camera.name, camera.index);
    }
    startCameraCapture(0);
    m_ui->checkBox_v->setChecked(true);
    m_ui->checkBox_h->setChecked(false);
    connect(m_cameraCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &DeviceDetect::onCameraIndexChanged);
}

void DeviceDetect::createCamera()
{
    const CameraCaptureType type = captureTypeSetting();
    m_captureType = static_cast<int>(type);
    m_camera = new CameraCapture(this, type);
    m_cameras = m_camera->getCamerasInfo();
    connect(m_camera, &CameraCapture::imageAvailable, this, &DeviceDetect::onImageAvailable);
}

void DeviceDetect::startCameraCapture(int index)
{
    if (index < 0 || m_cameras.isEmpty()) {
        qWarning() << "index is" << index << "camera list" << m_cameras.size();
        return;
    }
    const CameraInfo& camera = m_cameras.at(qMin(index, m_cameras.size() - 1));
    const CameraFormat format = chooseCameraFormat(camera.formats, m_captureType);
    qInfo() << "DeviceDetect::startCameraCapture width" << format.width << "height" << format.height
            << "frameRate" << format.frameRate;
    const bool started = m_camera->start(DesireCameraInfo { camera.index, camera.name, format });
    m_ui->label_head->setText(started ? QString() : QStringLiteral("摄像头无法打开"));
    showProblem(m_ui->label_tips_camera,
        started ? QString() : QStringLiteral("可能被其他程序占用，请关闭后刷新"));
    m_camera->verRotate(true);
}

void DeviceDetect::deleteCamera()
{
    if (m_camera) {
        m_camera->stop();
        delete m_camera;
        m_camera = nullptr;
    }
}

void DeviceDetect::onImageAvailable(QImage image)
{
    const QImage picture
        = image.convertToFormat(QImage::Format_RGB888)
              .scaled(kPictureWidth, kPictureHeight, Qt::KeepAspectRatio, Qt::FastTransformation);
    m_ui->label_head->setPixmap(QPixmap::fromImage(picture));
}

void DeviceDetect::onCameraIndexChanged(int index)
{
    if (index < 0) {
        return;
    }
    deleteCamera();
    createCamera();
    startCameraCapture(index);
    // The new camera starts flipped vertically only; the switches may say otherwise.
    if (m_camera) {
        m_camera->verRotate(m_ui->checkBox_v->isChecked());
        m_camera->horRotate(m_ui->checkBox_h->isChecked());
    }
}

void DeviceDetect::onVStateChanged(int state)
{
    if (m_camera && state != Qt::PartiallyChecked) {
        m_camera->verRotate(state == Qt::Checked);
    }
}

void DeviceDetect::onHStateChanged(int state)
{
    if (m_camera && state != Qt::PartiallyChecked) {
        m_camera->horRotate(state == Qt::Checked);
    }
}

void DeviceDetect::initMicCombox()
{
    disconnect(m_micCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &DeviceDetect::onAudioIndexChanged);
    if (!m_mic) {
        createMic();
    }
    m_micCombo->clear();
    for (int i = 0; i < m_mics.size(); ++i) {
        m_micCombo->addItem(m_mics.at(i).name, i);
    }
    connect(m_micCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &DeviceDetect::onAudioIndexChanged);
    startMicCapture(0);
}

void DeviceDetect::createMic()
{
    m_mic = new MicCapture(this, MicType::SystemDefault);
    m_mics = m_mic->getAudioDevice();
    connect(m_mic, &MicCapture::audioVolumeChanged, this, &DeviceDetect::onAudioVolumeChanged);
}

void DeviceDetect::startMicCapture(int index)
{
    if (index < 0 || m_mics.isEmpty()) {
        qWarning() << "void __thiscall DeviceDetect::startMicCapture(int)"
                   << "index is" << index << "audioList" << m_mics.size();
        return;
    }
    const bool started = m_mic->start(m_mics.at(qMin(index, m_mics.size() - 1)));
    showProblem(m_ui->label_tips_mic,
        started ? QString() : QStringLiteral("麦克风无法打开，请换一个设备或检查系统设置"));
}

void DeviceDetect::startTestSound(const QString& speaker)
{
    const bool started = m_player->start(speaker, QLatin1String(kTestSound));
    showProblem(m_ui->label_tips_player,
        started ? QString() : QStringLiteral("无法在这个设备上播放声音，请换一个设备"));
}

void DeviceDetect::showProblem(QLabel* tip, const QString& problem)
{
    if (!tip->property("tip").isValid())
        tip->setProperty("tip", tip->text());
    tip->setText(problem.isEmpty() ? tip->property("tip").toString() : problem);
    tip->setProperty("problem", !problem.isEmpty());
    tip->style()->unpolish(tip);
    tip->style()->polish(tip);
}

void DeviceDetect::deleteMic()
{
    if (m_mic) {
        m_mic->stop();
        delete m_mic;
        m_mic = nullptr;
    }
}

void DeviceDetect::onAudioIndexChanged(int index)
{
    if (index < 0) {
        return;
    }
    deleteMic();
    createMic();
    startMicCapture(index);
}

void DeviceDetect::onAudioVolumeChanged(unsigned int volume, unsigned int maximum)
{
    if (m_volumeLabel) {
        m_volumeLabel->setVolume(volume, maximum);
    }
}

void DeviceDetect::initSpeaker()
{
    if (!m_player) {
        m_player = new AudioPlayer(this);
        m_player->initCoreAudioHandle();
    }
    m_speakers = m_player->getSpeakerDevices();
    const QString saved
        = zov::platform::Platform::instance()
              .readRegistry(QLatin1String(kRegistryKey), QLatin1String(kSpeakerValue))
              .toString();
    for (int i = 0; i < m_speakers.size(); ++i) {
        const QString& name = m_speakers.at(i).name;
        if (name == saved) {
            m_speakerIndex = i;
        }
        m_player->setVolumeSize(name, kTestVolume);
    }
    fillSpeakerList();
    const int index = m_speakerIndex;
    if (index >= 0 && index < m_speakers.size()) {
        m_speakerCombo->setCurrentIndex(index);
        m_ui->hslider_volume->setValue(kTestVolume);
        startTestSound(m_speakers.at(index).name);
    }
    m_speakerReady = true;
}

void DeviceDetect::fillSpeakerList()
{
    m_speakerCombo->clear();
    for (int i = 0; i < m_speakers.size(); ++i) {
        m_speakerCombo->addItem(m_speakers.at(i).name, i);
    }
}

void DeviceDetect::onSpeakerIndexChanged(int index)
{
    if (index < 0 || m_speakerIndex < 0 || !m_speakerReady || index == m_speakerIndex) {
        return;
    }
    m_speakerIndex = index;
    const QString name = index < m_speakers.size() ? m_speakers.at(index).name : QString();
    if (name.isEmpty() || !m_player) {
        return;
    }
    m_player->stop();
    m_ui->hslider_volume->setValue(m_player->getVolumeSize(name));
    startTestSound(name);
    qInfo() << "broadv speaker:" << name;
}

void DeviceDetect::onSetVolumeSize(int value)
{
    const int current = m_speakerCombo->currentIndex();
    if (m_player && current >= 0 && current < m_speakers.size()) {
        m_player->setVolumeSize(m_speakers.at(current).name, value);
    }
}

void DeviceDetect::onRefrashClicked()
{
    deleteCamera();
    initCameraCombox();
    deleteMic();
    initMicCombox();
    // The speakers are not asked again and the sound goes on; the refilled list keeps
    // showing the speaker that plays.
    const QSignalBlocker quiet(m_speakerCombo);
    fillSpeakerList();
    const int index = m_speakerIndex;
    if (index >= 0 && index < m_speakers.size()) {
        m_speakerCombo->setCurrentIndex(index);
    }
}

void DeviceDetect::onSaveClicked()
{
    const int index = m_speakerIndex;
    if (index >= 0 && index < m_speakers.size()) {
        zov::platform::Platform::instance().writeRegistry(
            QLatin1String(kRegistryKey), QLatin1String(kSpeakerValue), m_speakers.at(index).name);
    }
    stopAllDevices();
    close();
}

void DeviceDetect::onCloseClicked()
{
    stopAllDevices();
    close();
}

void DeviceDetect::stopAllDevices()
{
    deleteCamera();
    deleteMic();
    if (m_player) {
        m_player->stop();
        delete m_player;
        m_player = nullptr;
    }
    if (m_volumeLabel) {
        m_volumeLabel->deleteLater();
        m_volumeLabel = nullptr;
    }
}
