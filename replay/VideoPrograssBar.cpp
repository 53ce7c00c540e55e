#include "replay/VideoPrograssBar.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kPlayedColor(QStringLiteral("#FF5E50"));
const QColor kTrackColor(255, 255, 255, 90);
constexpr int kTrackHeight = 4;
constexpr int kHandleRadius = 7;

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
    const qreal handleX = qBound(qreal(kHandleRadius), playedWidth, qreal(width() - kHandleRadius));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(handleX, height() / 2.0), kHandleRadius, kHandleRadius);
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
    emit tooltipChanged(fraction, mapToGlobal(QPoint(event->pos().x(), 0)), true);
}

void VideoPrograssBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_value = fractionAt(event->pos().x());
    update();
    emit valueChanged(m_value);
}

void VideoPrograssBar::leaveEvent(QEvent*)
{
    emit tooltipChanged(0, QPoint(), false);
}
