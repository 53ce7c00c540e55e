#include "update/UpdateOptsWidget.h"

#include "update/PaintedButton.h"

#include <QHBoxLayout>
#include <QSpacerItem>

UpdateOptsWidget::UpdateOptsWidget(QWidget* parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
    , m_skip(addButton(QStringLiteral("跳过该版本"), QStringLiteral("skipButton"), false))
    , m_stretch(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum))
    , m_later(addButton(QStringLiteral("下次提醒"), QStringLiteral("laterButton"), false))
    , m_update(addButton(QStringLiteral("立即更新"), QStringLiteral("updateButton"), true))
{
    m_layout->setSpacing(10);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->insertItem(1, m_stretch);

    connect(m_skip, &QPushButton::clicked, this, &UpdateOptsWidget::skip);
    connect(m_later, &QPushButton::clicked, this, &UpdateOptsWidget::showNextTime);
    connect(m_update, &QPushButton::clicked, this, &UpdateOptsWidget::update);
}

PaintedButton* UpdateOptsWidget::addButton(const QString& text, const QString& name, bool primary)
{
    auto* button = new PaintedButton(
        text, primary ? PaintedButton::Primary : PaintedButton::Secondary, this);
    button->setObjectName(name);
    button->setFixedSize(90, 30);
    m_layout->addWidget(button);
    return button;
}

void UpdateOptsWidget::hideSkipAndLater()
{
    m_skip->hide();
    m_later->hide();
    m_layout->removeItem(m_stretch);
    delete m_stretch;
    m_stretch = nullptr;
    m_update->setFixedSize(130, 30);
}
