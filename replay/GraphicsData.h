#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPoint>
#include <QtGlobal>

// One decoded whiteboard action: what happens to which item of which courseware page,
// in the sender's drawing-area pixels.
struct GraphicsData
{
    enum Action : qint16
    {
        Undo = 1,
        Redo = 2,
        Update = 3,
        Add = 4,
        Delete = 5,
        Clear = 6,
    };

    enum Shape : qint16
    {
        Pen = 1,
        Eraser = 2,
        Line = 3,
        Arrow = 4,
        Triangle = 6,
        Rectangle = 7,
        Ellipse = 8,
        Text = 11,
        DashedLine = 12,
    };

    qint16 actionType = 0;
    QByteArray coursewareId;
    QByteArray pageId;
    qint32 graphicId = 0;
    qint32 width = 0;
    qint32 height = 0;
    qint16 shapeType = 0;
    qint16 lineWidth = 0;
    qint16 aux = 0;
    // Freehand strokes come in pieces: 0 first, 1 middle, 2 last.
    qint16 strokePhase = 0;
    // 0xRRGGBB; the top byte means nothing.
    qint32 color = 0;
    qint16 fontSize = 0;
    QByteArray text;
    qint16 contentY = 0;
    QList<QPoint> points;
    // The items a delete action removes.
    QList<qint32> ids;
};

Q_DECLARE_METATYPE(GraphicsData)
