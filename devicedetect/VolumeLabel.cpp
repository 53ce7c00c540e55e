#include "devicedetect/VolumeLabel.h"

#include <QPainter>
#include <QTimer>

namespace {

// Repainting on a clock rather than per level keeps a fast microphone from flooding
// the event loop with paints.
constexpr int kRepaintMs = 30;
constexpr qreal kBarWidth = 1.0;
constexpr qreal kBarHeight = 19.0;
constexpr qreal kBarRadius = 0.5;

} // namespace

VolumeLabel::VolumeLabel(QWidget* parent)
    : QLabel(parent)
    , m_repaint(new QTimer(this))
{
    resize(264, 19);
    connect(m_repaint, &QTimer::timeout, this, QOverload<>::of(&QWidget::update));
    m_repaint->start(kRepaintMs);
}

void VolumeLabel::setVolume(unsigned int volume, unsigned int maximum)
{
    m_level = maximum == 0 ? 0 : qMin(kBars, int(double(volume) / maximum * kBars));
}

void VolumeLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < kBars; ++i) {
        painter.setBrush(i < m_level ? QColor(250, 79, 66) : QColor(96, 96, 96));
        painter.drawRoundedRect(
            QRectF(kBarPitch * i, 0, kBarWidth, kBarHeight), kBarRadius, kBarRadius);
    }
}
