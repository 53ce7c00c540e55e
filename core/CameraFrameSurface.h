#pragma once

#include <QAbstractVideoSurface>
#include <QImage>
#include <QList>
#include <QVideoFrame>

namespace zov {
namespace capture {

// The surface a QCamera draws into: every frame leaves it as a QImage with its rows bottom
// first, whichever way the camera wrote them.
class CameraFrameSurface : public QAbstractVideoSurface
{
    Q_OBJECT

public:
    explicit CameraFrameSurface(QObject* parent = nullptr);

    QList<QVideoFrame::PixelFormat> supportedPixelFormats(
        QAbstractVideoBuffer::HandleType type) const override;
    bool present(const QVideoFrame& frame) override;

signals:
    void frameAvailable(const QImage& frame);
};

} // namespace capture
} // namespace zov
