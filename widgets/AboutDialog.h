#pragma once

#include "widgets/CustomDialogBase.h"

class QLabel;

// The about box: program icon, name and installed version. The caller reads the version
// from the installation's settings and passes it in.
class AboutDialog : public CustomDialogBase
{
    Q_OBJECT

public:
    explicit AboutDialog(const QString& version, QWidget* parent = nullptr);

private:
    QLabel* addLabel(const QString& objectName, const QString& styleSheet);
};
