#pragma once

#include <QString>
#include <QtGlobal>

// The whiteboard state for one moment of the lesson: the courseware page shown, its
// size and scroll offset in the page's own pixels, and the lesson time.
struct StatusData
{
    QString pageName;
    qint32 yOffset = 0;
    qint32 width = 960;
    qint32 height = 720;
    qint64 time = 0;
};
