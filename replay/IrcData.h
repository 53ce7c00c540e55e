#pragma once

#include <QString>
#include <QtGlobal>

// A page change of the recorded lesson: from this time on the courseware page shown is
// pageId of coursewareId, at this size, scrolled down by yOffset.
struct IrcData
{
    QString type;
    QString coursewareId;
    QString pageId;
    qint32 height = 0;
    qint32 width = 0;
    qint64 timeStamp = 0;
    qint32 yOffset = 0;
};
