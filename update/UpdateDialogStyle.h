#pragma once

#include <QString>

class CustomDialogBase;
class QLabel;
class QWidget;

// What every update dialog shares: the program icon, the font family, the quiet grey
// title, and a way to drop the title bar's close button for choices the user must make.
class UpdateDialogStyle
{
public:
    static QString titleStyle();
    static void prepare(CustomDialogBase* dialog);
    static void setCloseButtonVisible(CustomDialogBase* dialog, bool visible);
    static QLabel* label(const QString& styleSheet, Qt::Alignment alignment, QWidget* parent);
};
