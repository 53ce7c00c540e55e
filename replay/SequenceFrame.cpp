#include "replay/SequenceFrame.h"

#include <QDir>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int kFrameIntervalMs = 100;

} // namespace

SequenceFrame::SequenceFrame(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void SequenceFrame::load(const QString& dir, const QString& prefix)
{
    if (m_timer)
        m_timer->stop();
    hide();
    m_frames.clear();
    m_index = 0;
    const int count = QDir(dir).entryList({ QStringLiteral("*.png") }, QDir::Files).size();
    for (int number = 1; number <= count; ++number)
        m_frames.append(
            QPixmap(dir + QLatin1Char('/') + prefix + QStringLiteral("%1.png").arg(number)));
}

void SequenceFrame::start(int mode)
{
    m_mode = mode;
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(kFrameIntervalMs);
        connect(m_timer, &QTimer::timeout, this, &SequenceFrame::onTimeOut);
    }
    m_timer->start();
    show();
}

void SequenceFrame::onTimeOut()
{
    if (m_frames.isEmpty())
        return;
    if (m_index + 1 < m_frames.size()) {
        ++m_index;
    } else if (m_mode == PlayOnce) {
        m_timer->stop();
        hide();
        return;
    } else {
        m_index = 0;
    }
    update();
}

void SequenceFrame::paintEvent(QPaintEvent*)
{
    if (m_index >= m_frames.size())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_frames.at(m_index));
}
