#include "replay/VideoFrameSplitter.h"

// Qt's scaler keeps RGBX8888 only where its pixels read as the little-endian words it works on.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGBX8888 parts are scaled as 32-bit words");

VideoFrameSplitter::Parts VideoFrameSplitter::split(
    const QImage& frame, int coursewareWidth, const QSize& pageSize, const QSize& headsSize)
{
    const int width = qBound(0, coursewareWidth, frame.width());
    return { scaledPart(frame, 0, width, pageSize),
        scaledPart(frame, width, frame.width() - width, headsSize) };
}

// The part is read in place, through a header over the frame's own rows. Qt scales smoothly
// only in 32-bit formats and would widen the part to RGB32 first, leaving the result to be
// reordered into RGBA8888; widened to RGBX8888 instead, the scaled part already has the
// bytes and the opaque alpha of RGBA8888, and only needs to be called so.
QImage VideoFrameSplitter::scaledPart(const QImage& frame, int left, int width, const QSize& size)
{
    if (width <= 0 || size.isEmpty())
        return QImage();
    const QImage part(frame.constBits() + left * 3, width, frame.height(), frame.bytesPerLine(),
        QImage::Format_RGB888);
    QImage scaled = part.convertToFormat(QImage::Format_RGBX8888)
                        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.reinterpretAsFormat(QImage::Format_RGBA8888);
    return scaled;
}
