#include "devicedetect/SelectItem.h"

#include "devicedetect/MyLabel.h"

#include <QTimer>

namespace {

// Long enough to be seen before the list closes.
constexpr int kHighlightMs = 300;

const char kLabelStyle[]
    = "color:#FFFFFF; font-size:12px; padding-left:12px; background:transparent;";
const char kHighlightedStyle[]
    = "color:#FFFFFF; font-size:12px; padding-left:12px; background:rgb(201, 77, 68);";
const char kTickStyle[]
    = "image: url(:/detect/devicedetect/btn_pitch_on.png); background:transparent;";

} // namespace

SelectItem::SelectItem(const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_label(new MyLabel(this))
    , m_tick(new QLabel(this))
    , m_highlight(new QTimer(this))
{
    setFixedSize(kWidth, kHeight);
    m_label->setGeometry(0, 0, kWidth, kHeight);
    m_label->setText(text);
    m_label->setStyleSheet(QLatin1String(kLabelStyle));
    m_tick->setGeometry(293, 0, 30, 30);
    m_tick->setStyleSheet(QLatin1String(kTickStyle));
    m_tick->hide();
    m_highlight->setSingleShot(true);
    m_highlight->setInterval(kHighlightMs);
    connect(m_label, &MyLabel::clicked, this, &SelectItem::onLabelClicked);
    connect(m_highlight, &QTimer::timeout, this, &SelectItem::onHighlightOver);
}

QString SelectItem::text() const
{
    return m_label->text();
}

void SelectItem::setSelected(bool selected)
{
    m_selected = selected;
    showState(m_highlight->isActive());
}

void SelectItem::onLabelClicked()
{
    showState(true);
    m_highlight->start();
}

void SelectItem::onHighlightOver()
{
    showState(false);
    emit clicked();
}

void SelectItem::showState(bool highlighted)
{
    m_label->setStyleSheet(QLatin1String(highlighted ? kHighlightedStyle : kLabelStyle));
    m_tick->setVisible(highlighted || m_selected);
}
