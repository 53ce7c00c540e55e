#pragma once

#include <QWidget>

class QLabel;

// The compact brand header of the offer dialog: icon, program name and the version on
// offer.
class ZovLogoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ZovLogoWidget(QWidget* parent = nullptr);

    void setVersionText(const QString& text);

private:
    QLabel* m_version;
};
