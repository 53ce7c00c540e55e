#include "replay/PenItem.h"

#include <QCursor>
#include <QDebug>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QtMath>

namespace {

constexpr int kEraserScale = 10;
constexpr QPoint kNoPoint(-1, -1);

} // namespace

PenItem::PenItem(QWidget* parent)
    : QWidget(parent)
    , m_canvas(size(), QImage::Format_RGBA8888)
{
    setAttribute(Qt::WA_AlwaysStackOnTop);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(QCursor(QPixmap(QStringLiteral(":/res/pen.png")), 3, 3));
    m_canvas.fill(Qt::transparent);
}

void PenItem::setRatio(float ratio)
{
    m_ratio = ratio;
}

void PenItem::clear()
{
    m_strokes.clear();
    m_undoneStrokes.clear();
    repaintCanvas();
}

bool PenItem::recalculatePoint(GraphicsData& data, bool isReplay)
{
    if (data.width == 0 || data.height == 0) {
        qDebug() << "data is err" << data.width << data.height;
        return false;
    }
    const float sx = float(width()) / float(data.width);
    const float sy = float(height()) / float(data.height);
    for (QPoint& point : data.points)
        point = QPoint(int(point.x() * sx), int(point.y() * sy));
    qDebug() << " data.size.width:" << data.width << " data.size.height" << data.height
             << " curWidth:" << width() << " curHeight:" << height();
    // Replay redraws history, where nobody's pointer is live.
    if (!data.points.isEmpty() && !isReplay)
        emit otherRolePoint(data.points.last());
    return true;
}

void PenItem::onExternalGraphicData(int role, GraphicsData data, bool isReplay)
{
    Q_UNUSED(role)
    m_maxGraphicId = qMax(m_maxGraphicId, data.graphicId);
    switch (data.actionType) {
    case GraphicsData::Undo:
        undo();
        break;
    case GraphicsData::Redo:
        redo();
        break;
    case GraphicsData::Update:
    case GraphicsData::Add:
    case GraphicsData::Delete:
    case GraphicsData::Clear:
        drawFreehand(data, isReplay);
        break;
    default:
        break;
    }
}

void PenItem::undo()
{
    if (m_strokes.isEmpty())
        return;
    m_undoneStrokes.append(m_strokes.takeLast());
    repaintCanvas();
}

void PenItem::redo()
{
    if (m_undoneStrokes.isEmpty())
        return;
    m_strokes.append(m_undoneStrokes.takeLast());
    repaintCanvas();
}

void PenItem::drawFreehand(GraphicsData data, bool isReplay)
{
    if (!recalculatePoint(data, isReplay) || data.points.isEmpty())
        return;
    // fromRgb makes the colour opaque whatever the sender left in the top byte.
    const QColor color = QColor::fromRgb(QRgb(data.color));
    const bool closing = data.strokePhase == 2;
    int next = 0;
    // A piece whose start this layer never saw (a replay joined mid-stroke, or one after
    // clear()) starts a stroke of its own rather than bridging onto an unrelated one.
    if (data.strokePhase == 0 || data.graphicId != m_lastStrokeGraphicId || m_strokes.isEmpty()) {
        m_strokes.append({ data.shapeType == GraphicsData::Pen, data.lineWidth, color,
            { data.points.first() } });
        m_lastPoint = data.points.first();
        next = 1;
    }
    const int end = closing ? data.points.size() - 1 : data.points.size();
    for (; next < end; ++next)
        extendStroke(data.points.at(next));
    // A stroke of a single point closes on itself, so a tap still leaves a dot.
    if (closing) {
        extendStroke(data.points.last());
        m_lastPoint = kNoPoint;
    }
    m_lastStrokeGraphicId = data.graphicId;
}

void PenItem::extendStroke(const QPoint& point)
{
    Stroke& stroke = m_strokes.last();
    drawALine(stroke.isPen, stroke.width, stroke.color, m_lastPoint, point);
    stroke.points.append(point);
    m_lastPoint = point;
}

void PenItem::drawALine(
    bool isPen, int lineW, const QColor& color, const QPoint& from, const QPoint& to)
{
    // A stroke resumed after it was closed has no point to continue from.
    const QPoint start = from == kNoPoint ? to : from;
    qDebug() << " isPen" << isPen << " lineW:" << lineW;
    QPainter painter(&m_canvas);
    const int margin = qCeil(paintSegment(painter, isPen, lineW, color, start, to));
    update(QRect(start, to).normalized().adjusted(-margin, -margin, margin, margin));
}

qreal PenItem::paintSegment(QPainter& painter, bool isPen, int lineW, const QColor& color,
    const QPoint& from, const QPoint& to) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, lineW, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (isPen) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        pen.setWidthF(lineW * m_ratio * kEraserScale);
    }
    painter.setPen(pen);
    painter.drawLine(from, to);
    return pen.widthF();
}

void PenItem::repaintCanvas()
{
    m_canvas.fill(Qt::transparent);
    QPainter painter(&m_canvas);
    for (const Stroke& stroke : qAsConst(m_strokes)) {
        for (int i = 1; i < stroke.points.size(); ++i)
            paintSegment(painter, stroke.isPen, stroke.width, stroke.color, stroke.points.at(i - 1),
                stroke.points.at(i));
    }
    painter.end();
    update();
}

void PenItem::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas, event->rect());
}

void PenItem::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size() == m_canvas.size())
        return;
    m_canvas = QImage(event->size(), QImage::Format_RGBA8888);
    repaintCanvas();
}
