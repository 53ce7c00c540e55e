#include "update/UpdateProgressWidget.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

constexpr int BarHeight = 10;
constexpr qreal BarRadius = 5;

} // namespace

UpdateProgressWidget::UpdateProgressWidget(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(BarWidth, BarHeight);
}

void UpdateProgressWidget::setValue(float value)
{
    // A curl report can overshoot or be garbage; the bar never leaves its track.
    m_filledWidth = qBound(0, int(value * BarWidth), BarWidth);
    update();
}

void UpdateProgressWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track((width() - BarWidth) / 2, (height() - BarHeight) / 2, BarWidth, BarHeight);
    painter.setBrush(QColor(0xDC, 0xDC, 0xDC));
    painter.drawRoundedRect(track, BarRadius, BarRadius);
    if (m_filledWidth < 1) {
        return;
    }
    const QRectF done(track.left(), track.top(), m_filledWidth, BarHeight);
    QLinearGradient gradient(done.topLeft(), done.topRight());
    gradient.setColorAt(0.0, QColor(0xF1, 0x32, 0x32));
    gradient.setColorAt(1.0, QColor(0xF0, 0x77, 0x3C));
    painter.setBrush(gradient);
    painter.drawRoundedRect(done, BarRadius, BarRadius);
}
