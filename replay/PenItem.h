#pragma once

#include "replay/GraphicsData.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QWidget>

class QPainter;

// The transparent layer over the courseware page that paints the recorded freehand pen and
// eraser strokes, scaled from the sender's drawing area to this widget.
class PenItem : public QWidget
{
    Q_OBJECT
public:
    explicit PenItem(QWidget* parent = nullptr);

    void drawALine(
        bool isPen, int lineW, const QColor& color, const QPoint& from, const QPoint& to);
    // Widens the eraser, which is drawn lineW * ratio * 10 pixels wide.
    void setRatio(float ratio);
    void clear();
    // Maps data's points from the sender's drawing area to this widget's size.
    bool recalculatePoint(GraphicsData& data, bool isReplay);

    int strokeCount() const { return m_strokes.size(); }
    int undoneCount() const { return m_undoneStrokes.size(); }
    const QImage& canvas() const { return m_canvas; }

signals:
    // The classroom's outgoing whiteboard channel listens here; replay only receives.
    void sendOriginDataPacket(GraphicsData data);
    // The other side's latest pen position, for a pointer that follows it live.
    void otherRolePoint(QPoint point);

public slots:
    void onExternalGraphicData(int role, GraphicsData data, bool isReplay = false);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Stroke
    {
        bool isPen = true;
        int width = 0;
        QColor color;
        QList<QPoint> points;
    };

    void undo();
    void redo();
    void drawFreehand(GraphicsData data, bool isReplay);
    void extendStroke(const QPoint& point);
    qreal paintSegment(QPainter& painter, bool isPen, int lineW, const QColor& color,
        const QPoint& from, const QPoint& to) const;
    void repaintCanvas();

    QImage m_canvas;
    QPoint m_lastPoint { -1, -1 };
    QList<Stroke> m_strokes;
    QList<Stroke> m_undoneStrokes;
    qint32 m_lastStrokeGraphicId = -1;
    qint32 m_maxGraphicId = 0;
    float m_ratio = 1.0f;
};
