#include "update/PaintedButton.h"

#include <QLinearGradient>
#include <QPainter>

PaintedButton::PaintedButton(const QString& text, Style style, QWidget* parent)
    : QPushButton(text, parent)
    , m_style(style)
{
    // Hover and press change the fill, so the button has to hear about them.
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    QFont buttonFont(QStringLiteral("Microsoft YaHei"));
    buttonFont.setPixelSize(14);
    setFont(buttonFont);
}

void PaintedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_style == Primary) {
        paintPrimary(painter, area);
    } else {
        paintSecondary(painter, area);
    }
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

QColor PaintedButton::textColor() const
{
    if (m_style == Primary) {
        return Qt::white;
    }
    return underMouse() ? QColor(0xF1, 0x32, 0x32) : QColor(0x66, 0x66, 0x66);
}

void PaintedButton::paintPrimary(QPainter& painter, const QRectF& area) const
{
    QLinearGradient gradient(area.topLeft(), area.topRight());
    QColor from(0xF1, 0x32, 0x32);
    QColor to(0xF0, 0x77, 0x3C);
    if (isDown()) {
        from = from.darker(112);
        to = to.darker(112);
    } else if (underMouse()) {
        from = from.lighter(108);
        to = to.lighter(108);
    }
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(area, area.height() / 2, area.height() / 2);
}

void PaintedButton::paintSecondary(QPainter& painter, const QRectF& area) const
{
    const bool active = underMouse() || isDown();
    painter.setPen(QPen(active ? QColor(0xF1, 0x32, 0x32) : QColor(0xCC, 0xCC, 0xCC), 1));
    painter.setBrush(isDown() ? QColor(0xFF, 0xF0, 0xF0) : QColor(Qt::white));
    painter.drawRoundedRect(area, area.height() / 2, area.height() / 2);
}
