#include "core/QtCameraBackend.h"

#include "core/CameraFrameSurface.h"

#include <QCamera>
#include <QCameraInfo>
#include <QCameraViewfinderSettings>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

namespace zov {
namespace capture {

namespace {

// A camera that has not loaded by then is reported without formats.
constexpr int kLoadTimeoutMs = 3000;

QString pixelFormatName(QVideoFrame::PixelFormat format)
{
    QString text;
    QDebug(&text).noquote().nospace() << format;
    return text.remove(QStringLiteral("Format_"));
}

// The formats are only known once the camera is loaded, which some drivers do
// asynchronously; callers expect the list at once, so wait here.
void waitUntilLoaded(QCamera& camera)
{
    if (camera.status() == QCamera::LoadedStatus) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
    QObject::connect(&camera, &QCamera::statusChanged, &loop, [&loop](QCamera::Status status) {
        if (status == QCamera::LoadedStatus || status == QCamera::UnloadedStatus
            || status == QCamera::UnavailableStatus) {
            loop.quit();
        }
    });
    QObject::connect(&camera, &QCamera::errorOccurred, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

QtCameraBackend::QtCameraBackend(int captureType, QObject* parent)
    : CameraBackend(parent)
    , m_captureType(captureType)
    , m_surface(new CameraFrameSurface(this))
{
    connect(m_surface, &CameraFrameSurface::frameAvailable, this, &QtCameraBackend::frameAvailable);
}

QtCameraBackend::~QtCameraBackend()
{
    stop();
}

QString QtCameraBackend::name() const
{
    return QStringLiteral("QtMultimedia");
}

QList<CameraInfo> QtCameraBackend::cameras()
{
    QList<CameraInfo> result;
    const QList<QCameraInfo> available = QCameraInfo::availableCameras();
    for (int i = 0; i < available.size(); ++i) {
        CameraInfo info;
        info.index = i;
        info.name = available.at(i).description();
        info.devicePath = available.at(i).deviceName();
        info.formats = formatsOf(available.at(i));
        result << info;
    }
    return result;
}

QList<CameraFormat> QtCameraBackend::formatsOf(const QCameraInfo& info) const
{
    QCamera camera(info);
    camera.load();
    waitUntilLoaded(camera);
    QList<CameraFormat> formats;
    const QList<QCameraViewfinderSettings> settings = camera.supportedViewfinderSettings();
    for (const QCameraViewfinderSettings& setting : settings) {
        CameraFormat format;
        format.width = setting.resolution().width();
        format.height = setting.resolution().height();
        format.frameRate = setting.maximumFrameRate();
        format.pixelFormat = pixelFormatName(setting.pixelFormat());
        format.captureType = m_captureType;
        formats << format;
    }
    camera.unload();
    return formats;
}

bool QtCameraBackend::start(const DesireCameraInfo& desired)
{
    stop();
    const QList<QCameraInfo> available = QCameraInfo::availableCameras();
    if (desired.index < 0 || desired.index >= available.size()) {
        qWarning() << "[QtCameraBackend][start] no camera at" << desired.index << "of"
                   << available.size();
        return false;
    }
    const QCameraInfo& info = available.at(desired.index);
    if (info.description() != desired.name) {
        qWarning() << "[QtCameraBackend][start] camera" << desired.index << "is now"
                   << info.description() << "not" << desired.name;
    }

    m_camera = new QCamera(info, this);
    connect(m_camera, &QCamera::errorOccurred, this, &QtCameraBackend::onCameraError);
    m_camera->setViewfinder(m_surface);
    const CameraFormat& format = desired.format;
    if (format.width > 0 && format.height > 0) {
        QCameraViewfinderSettings settings;
        settings.setResolution(format.width, format.height);
        settings.setMinimumFrameRate(format.frameRate);
        settings.setMaximumFrameRate(format.frameRate);
        m_camera->setViewfinderSettings(settings);
    }
    m_camera->start();
    return true;
}

void QtCameraBackend::stop()
{
    if (!m_camera) {
        return;
    }
    m_camera->stop();
    delete m_camera;
    m_camera = nullptr;
    if (m_surface->isActive()) {
        m_surface->stop();
    }
}

void QtCameraBackend::onCameraError()
{
    qWarning() << "[QtCameraBackend] camera error:" << m_camera->errorString();
}

} // namespace capture
} // namespace zov
