#include "replay/Volume.h"

#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

Volume::Volume(QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_slider(new QSlider(Qt::Vertical, this))
    , m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("replayVolume"));
    setStyleSheet(QStringLiteral(
        "#replayVolume { background: rgba(30, 30, 30, 230); border-radius: 4px; }"
        "QLabel { color: white; font-size: 12px; }"
        "QSlider::groove:vertical { background: rgba(255, 255, 255, 90); width: 4px; "
        "border-radius: 2px; }"
        "QSlider::sub-page:vertical { background: rgba(255, 255, 255, 90); }"
        "QSlider::add-page:vertical { background: #FF5E50; width: 4px; border-radius: 2px; }"
        "QSlider::handle:vertical { background: white; height: 12px; margin: 0 -4px; "
        "border-radius: 6px; }"));
    setAttribute(Qt::WA_StyledBackground);
    m_slider->setRange(0, 100);
    m_slider->setFixedSize(38, 100);
    m_label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 6, 4, 8);
    layout->setSpacing(4);
    layout->addWidget(m_label);
    layout->addWidget(m_slider);
    connect(m_slider, &QSlider::valueChanged, this, &Volume::onVolumeValueChanged);
    m_slider->setValue(100);
    onVolumeValueChanged(m_slider->value());
}

float Volume::volume() const
{
    return float(m_slider->value()) / float(m_slider->maximum());
}

void Volume::setVolume(float volume)
{
    m_slider->setValue(qRound(qBound(0.0f, volume, 1.0f) * float(m_slider->maximum())));
}

void Volume::onVolumeValueChanged(int value)
{
    m_label->setText(QStringLiteral("%1%").arg(value));
    emit volumeChanged(float(value) / float(m_slider->maximum()));
}

void Volume::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit isSoundWidgetShow(true);
}

void Volume::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit isSoundWidgetShow(false);
}
