#pragma once

#include <QtGlobal>

// A stretch of the lesson clock that the video recorded, in milliseconds.
struct VideoSegment
{
    qint64 startTime = 0;
    qint64 endTime = 0;
    qint64 duration = 0;
};
