#include "update/TraitScrollWidget.h"

#include <QLabel>
#include <QScrollBar>

namespace {

const QString AreaStyle
    = QStringLiteral("TraitScrollWidget{border:1px solid #EAEAEA;background:#FFFFFF;}");
const QString BarStyle = QStringLiteral(
    "QScrollBar:vertical{width:6px;background:transparent;margin:0px;}"
    "QScrollBar::handle:vertical{background:#999999;border-radius:3px;min-height:20px;}"
    "QScrollBar::handle:vertical:hover{background:#777777;}"
    "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
    "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}");

} // namespace

TraitScrollWidget::TraitScrollWidget(QWidget* parent)
    : QScrollArea(parent)
    , m_label(new QLabel)
{
    m_label->setObjectName(QStringLiteral("notes"));
    m_label->setWordWrap(true);
    m_label->setContentsMargins(11, 7, 11, 7);
    m_label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_label->setStyleSheet(
        QStringLiteral("font: 13px \"Microsoft YaHei\";color:#4A4A4A;background:#FFFFFF;"));

    setStyleSheet(AreaStyle);
    // On the bar itself: inside a dialog the area's own sheet does not reach it.
    verticalScrollBar()->setStyleSheet(BarStyle);
    setWidgetResizable(true);
    setWidget(m_label);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    updateScrollBar();

    connect(
        verticalScrollBar(), &QScrollBar::sliderPressed, this, &TraitScrollWidget::onSliderPressed);
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this,
        &TraitScrollWidget::onSliderReleased);
}

void TraitScrollWidget::setText(const QString& msg)
{
    m_label->setText(msg.isEmpty() ? QStringLiteral("直播课堂更新如下：") : msg);
}

void TraitScrollWidget::onSliderPressed()
{
    m_sliderHeld = true;
    updateScrollBar();
}

void TraitScrollWidget::onSliderReleased()
{
    m_sliderHeld = false;
    updateScrollBar();
}

void TraitScrollWidget::enterEvent(QEvent* event)
{
    m_hovered = true;
    updateScrollBar();
    QScrollArea::enterEvent(event);
}

void TraitScrollWidget::leaveEvent(QEvent* event)
{
    m_hovered = false;
    updateScrollBar();
    QScrollArea::leaveEvent(event);
}

void TraitScrollWidget::updateScrollBar()
{
    setVerticalScrollBarPolicy(
        m_hovered || m_sliderHeld ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}
