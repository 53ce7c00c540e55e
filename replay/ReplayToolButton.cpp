#include "replay/ReplayToolButton.h"

#include <QIcon>
#include <QToolButton>

QToolButton* makeReplayToolButton(
    QWidget* parent, const QString& name, const QString& icon, int iconSize, const char* style)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    if (!icon.isEmpty()) {
        button->setIcon(QIcon(icon));
        button->setIconSize(QSize(iconSize, iconSize));
    }
    button->setStyleSheet(QLatin1String(style));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
