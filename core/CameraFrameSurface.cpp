#include "core/CameraFrameSurface.h"

#include <QVideoSurfaceFormat>

namespace zov {
namespace capture {

CameraFrameSurface::CameraFrameSurface(QObject* parent)
    : QAbstractVideoSurface(parent)
{ }

QList<QVideoFrame::PixelFormat> CameraFrameSurface::supportedPixelFormats(
    QAbstractVideoBuffer::HandleType type) const
{
    if (type != QAbstractVideoBuffer::NoHandle) {
        return {};
    }
    // The formats QVideoFrame::image() can turn into a QImage.
    return { QVideoFrame::Format_RGB32, QVideoFrame::Format_ARGB32,
        QVideoFrame::Format_ARGB32_Premultiplied, QVideoFrame::Format_RGB24,
        QVideoFrame::Format_RGB565, QVideoFrame::Format_RGB555, QVideoFrame::Format_BGRA32,
        QVideoFrame::Format_BGR32, QVideoFrame::Format_BGR24, QVideoFrame::Format_YUYV,
        QVideoFrame::Format_UYVY, QVideoFrame::Format_YUV420P, QVideoFrame::Format_YV12,
        QVideoFrame::Format_NV12, QVideoFrame::Format_NV21, QVideoFrame::Format_Jpeg };
}

bool CameraFrameSurface::present(const QVideoFrame& frame)
{
    QImage image = frame.image();
    if (image.isNull()) {
        setError(IncorrectFormatError);
        return false;
    }
    if (surfaceFormat().scanLineDirection() == QVideoSurfaceFormat::TopToBottom) {
        image = image.mirrored(false, true);
    }
    emit frameAvailable(image);
    return true;
}

} // namespace capture
} // namespace zov
