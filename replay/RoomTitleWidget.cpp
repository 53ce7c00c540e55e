#include "replay/RoomTitleWidget.h"

#include "replay/ReplayToolButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace {

const QColor kBackground(QStringLiteral("#1F1F1F"));
constexpr int kIconSize = 24;

const char* const kButtonStyle = "QToolButton { color: white; font-size: 14px; border: none;"
                                 " padding: 4px; border-radius: 4px; }"
                                 "QToolButton:hover { background: rgba(255, 255, 255, 40); }";

} // namespace

RoomTitleWidget::RoomTitleWidget(QWidget* parent)
    : QWidget(parent)
    , m_title(new QLabel(this))
{
    setObjectName(QStringLiteral("roomTitle"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 0, 8, 0);
    layout->setSpacing(4);

    QToolButton* back
        = iconButton(QStringLiteral("backBtn"), QStringLiteral("res/replay/back.png"));
    back->setText(QStringLiteral("返回  "));
    back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(back, &QToolButton::clicked, this, &RoomTitleWidget::sigCloseWindow);
    layout->addWidget(back);

    m_title->setStyleSheet(QStringLiteral("color: white; font-size: 15px;"));
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_title, 1);

    QToolButton* minimise
        = iconButton(QStringLiteral("minBtn"), QStringLiteral("res/replay/min.png"));
    connect(minimise, &QToolButton::clicked, this, &RoomTitleWidget::sigMinWindow);
    QToolButton* maximise
        = iconButton(QStringLiteral("maxBtn"), QStringLiteral("res/replay/max.png"));
    connect(maximise, &QToolButton::clicked, this, &RoomTitleWidget::sigMaxWindow);
    QToolButton* close
        = iconButton(QStringLiteral("closeBtn"), QStringLiteral("res/replay/close.png"));
    connect(close, &QToolButton::clicked, this, &RoomTitleWidget::sigCloseWindow);
    layout->addWidget(minimise);
    layout->addWidget(maximise);
    layout->addWidget(close);
}

QToolButton* RoomTitleWidget::iconButton(const QString& name, const QString& icon)
{
    return makeReplayToolButton(this, name, icon, kIconSize, kButtonStyle);
}

void RoomTitleWidget::setTitle(const QString& title)
{
    m_title->setText(title);
}

void RoomTitleWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_lastGlobalPos = event->globalPos();
}

void RoomTitleWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPoint offset = event->globalPos() - m_lastGlobalPos;
    m_lastGlobalPos = event->globalPos();
    emit sigMoveWindow(offset.x(), offset.y());
}

void RoomTitleWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    emit posChanged();
}

void RoomTitleWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit sigMaxWindow();
}

void RoomTitleWidget::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), kBackground);
}
