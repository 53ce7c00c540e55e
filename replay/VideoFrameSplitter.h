#pragma once

#include <QImage>
#include <QSize>

// Cuts a lesson video frame into the courseware page on its left and the head videos on
// its right, each scaled to the item that shows it, in the format the scene's items take.
class VideoFrameSplitter
{
public:
    struct Parts
    {
        QImage page;
        QImage heads;
    };

    // frame is RGB888; the parts come back as RGBA8888.
    static Parts split(
        const QImage& frame, int coursewareWidth, const QSize& pageSize, const QSize& headsSize);

private:
    static QImage scaledPart(const QImage& frame, int left, int width, const QSize& size);
};
