#include "update/StyledMessageBox.h"

#include "update/UpdateDialogStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

StyledMessageBox::StyledMessageBox(QWidget* parent)
    : CustomDialogBase(parent)
    , m_text(
          UpdateDialogStyle::label(QStringLiteral("font: 16px \"Microsoft YaHei\";color:#333333;"),
              Qt::AlignCenter, centralWidget()))
    , m_buttons(new QHBoxLayout)
{
    UpdateDialogStyle::prepare(this);
    m_text->setWordWrap(true);
    m_buttons->setSpacing(20);
    m_buttons->addStretch();
    m_buttons->addStretch();

    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(20, 10, 20, 24);
    layout->addWidget(m_text, 1);
    layout->addLayout(m_buttons);
}

void StyledMessageBox::setText(const QString& text)
{
    m_text->setText(text);
}

PaintedButton* StyledMessageBox::addButton(
    const QString& text, int code, PaintedButton::Style style)
{
    auto* button = new PaintedButton(text, style, centralWidget());
    button->setObjectName(QStringLiteral("button%1").arg(code));
    button->setFixedSize(130, 30);
    connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
    // Between the two stretches, so the row stays centred.
    m_buttons->insertWidget(m_buttons->count() - 1, button);
    return button;
}

void StyledMessageBox::reject()
{
    done(Closed);
}
