#pragma once

#include "replay/GraphicsData.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

// A whiteboard action with the lesson time its record was written at and its sender.
struct WhiteboardRecord
{
    GraphicsData data;
    qint64 timeStamp = 0;
    QByteArray senderId;
};

// The records of one courseware page. The data files fill only the third list; the
// first two belong to a layout the files share with the live classroom.
struct ReplayPageRecords
{
    QList<WhiteboardRecord> lists[3];

    QList<WhiteboardRecord>& records() { return lists[2]; }
    const QList<WhiteboardRecord>& records() const { return lists[2]; }
};

// What one replay data file holds, its whiteboard records grouped by page key
// (coursewareId + "_" + pageId).
struct ReplayData
{
    QHash<QString, ReplayPageRecords> pages;
    // The lesson time of the file's last record, of any kind.
    qint64 lastTimeStamp = 0;
    // The file's place in the replay information's list.
    qint32 index = 0;
    // The sender of the file's first whiteboard record.
    QByteArray teacherId;
};
