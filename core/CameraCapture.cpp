#include "core/CameraCapture.h"

#include "core/CameraBackend.h"
#include "core/MediaBackendFactory.h"

#include <QDebug>

namespace zov {
namespace capture {

namespace {

const char* typeName(CameraCaptureType type)
{
    switch (type) {
    case CameraCaptureType::QtMultimedia:
        return "QT";
    case CameraCaptureType::MediaFoundation:
        return "MF";
    case CameraCaptureType::VideoInput:
        return "VI";
    }
    return "unknown";
}

} // namespace

CameraCapture::CameraCapture(QObject* parent, const CameraCaptureType& type)
    : QObject(parent)
    , m_type(type)
    , m_backend(media::MediaBackendFactory::current().createCameraBackend(type, this))
{
    // Windows offers three capture frameworks; this desktop serves every one of them
    // from the same backend, so the log says which one really runs.
    qInfo().noquote() << "[CameraCapture] capture type" << typeName(type) << "runs on"
                      << m_backend->name();
    connect(m_backend, &CameraBackend::frameAvailable, this, &CameraCapture::onFrameAvailable);
}

CameraCapture::~CameraCapture()
{
    stop();
}

QList<CameraInfo> CameraCapture::getCamerasInfo()
{
    return m_backend->cameras();
}

bool CameraCapture::start(const DesireCameraInfo& info)
{
    m_running = m_backend->start(info);
    return m_running;
}

void CameraCapture::stop()
{
    if (m_running) {
        m_backend->stop();
        m_running = false;
    }
}

void CameraCapture::verRotate(bool on)
{
    m_vertical = on;
}

void CameraCapture::horRotate(bool on)
{
    m_horizontal = on;
}

void CameraCapture::onFrameAvailable(const QImage& frame)
{
    if (!m_running) {
        return;
    }
    emit imageAvailable(frame.mirrored(m_horizontal, m_vertical));
}

} // namespace capture
} // namespace zov
