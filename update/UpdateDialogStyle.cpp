#include "update/UpdateDialogStyle.h"

#include "widgets/CustomDialogBase.h"

#include <QIcon>
#include <QLabel>

QString UpdateDialogStyle::titleStyle()
{
    return QStringLiteral("font: 12px \"Microsoft YaHei\"; color: #999999;");
}

void UpdateDialogStyle::prepare(CustomDialogBase* dialog)
{
    dialog->setWindowIcon(QIcon(QStringLiteral("res/student.png")));
    dialog->setFont(QFont(QStringLiteral("Microsoft YaHei")));
    // The base paints its shadow outside the rounded body.
    dialog->setAttribute(Qt::WA_TranslucentBackground);
}

void UpdateDialogStyle::setCloseButtonVisible(CustomDialogBase* dialog, bool visible)
{
    // The base's form names its close button; the kit offers no call of its own for it.
    if (auto* button = dialog->findChild<QWidget*>(QStringLiteral("closeBtn"))) {
        button->setVisible(visible);
    }
}

QLabel* UpdateDialogStyle::label(
    const QString& styleSheet, Qt::Alignment alignment, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setStyleSheet(styleSheet);
    label->setAlignment(alignment);
    return label;
}
