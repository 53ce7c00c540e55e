#include "replay/VideoPrograssBar.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kPlayedColor(QStringLiteral("#FF5E50"));
const QColor kTrackColor(255, 255, 255, 90);
constexpr int kTrackHeight = 4;
constexpr int kHandleRadius = 7;
const QColor kMarkColor(255, 255, 255, 220);
constexpr qreal kMarkRadius = 3;
// How close, as a fraction of the video, the pointer must be to a mark to name it.
constexpr float kMarkReach = 0.002f;

} // namespace

VideoPrograssBar::VideoPrograssBar(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize VideoPrograssBar::sizeHint() const
{
    return QSize(400, 2 * kHandleRadius + 4);
}

void VideoPrograssBar::setValue(float value)
{
    if (m_dragging)
        return;
    m_value = qBound(0.0f, value, 1.0f);
    update();
}

void VideoPrograssBar::setMarks(const QVector<Mark>& marks)
{
    m_marks = marks;
    update();
}

const VideoPrograssBar::Mark* VideoPrograssBar::markNear(float fraction) const
{
    for (const Mark& mark : m_marks) {
        if (qAbs(mark.value - fraction) <= kMarkReach)
            return &mark;
    }
    return nullptr;
}

float VideoPrograssBar::fractionAt(int x) const
{
    const int span = width() > 0 ? width() : 1;
    return float(qBound(0, x, span)) / float(span);
}

void VideoPrograssBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const int top = (height() - kTrackHeight) / 2;
    const QRectF track(0, top, width(), kTrackHeight);
    painter.setBrush(kTrackColor);
    painter.drawRoundedRect(track, 2, 2);
    const qreal playedWidth = width() * qreal(m_value);
    painter.setBrush(kPlayedColor);
    painter.drawRoundedRect(QRectF(0, top, playedWidth, kTrackHeight), 2, 2);
    drawMarks(painter, track);
    const qreal handleX = qBound(qreal(kHandleRadius), playedWidth, qreal(width() - kHandleRadius));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(handleX, height() / 2.0), kHandleRadius, kHandleRadius);
}

void VideoPrograssBar::drawMarks(QPainter& painter, const QRectF& track) const
{
    painter.setBrush(kMarkColor);
    for (const Mark& mark : m_marks)
        painter.drawEllipse(QPointF(track.width() * qreal(mark.value), track.center().y()),
            kMarkRadius, kMarkRadius);
}

void VideoPrograssBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_value = fractionAt(event->pos().x());
    update();
}

void VideoPrograssBar::mouseMoveEvent(QMouseEvent* event)
{
    const float fraction = fractionAt(event->pos().x());
    if (m_dragging) {
        m_value = fraction;
        update();
    }
    const QPoint tip = mapToGlobal(QPoint(event->pos().x(), 0));
    if (const Mark* mark = markNear(fraction))
        emit tooltipChanged(mark->text, tip, true);
    else
        emit tooltipChanged(fraction, tip, true);
}

void VideoPrograssBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    // Letting go on a mark goes exactly to it, so a page is reached from its first moment.
    m_value = fractionAt(event->pos().x());
    if (const Mark* mark = markNear(m_value))
        m_value = mark->value;
    update();
    emit valueChanged(m_value);
}

void VideoPrograssBar::leaveEvent(QEvent*)
{
    emit tooltipChanged(0, QPoint(), false);
}
