#include "replay/VideoFrameSplitter.h"

VideoFrameSplitter::Parts VideoFrameSplitter::split(
    const QImage& frame, int coursewareWidth, const QSize& pageSize, const QSize& headsSize)
{
    const int width = qBound(0, coursewareWidth, frame.width());
    return { scaledPart(frame, 0, width, pageSize),
        scaledPart(frame, width, frame.width() - width, headsSize) };
}

// The part is read in place, through a header over the frame's own rows, so only the
// scaled copy is ever allocated.
QImage VideoFrameSplitter::scaledPart(const QImage& frame, int left, int width, const QSize& size)
{
    if (width <= 0 || size.isEmpty())
        return QImage();
    const QImage part(frame.constBits() + left * 3, width, frame.height(), frame.bytesPerLine(),
        QImage::Format_RGB888);
    return part.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGBA8888);
}
