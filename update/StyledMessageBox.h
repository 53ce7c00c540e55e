#pragma once

#include "update/PaintedButton.h"
#include "widgets/CustomDialogBase.h"

class QHBoxLayout;
class QLabel;

// A question box whose buttons each end it with a code of the caller's choosing. Leaving
// it any other way (close button, Escape) ends it with Closed.
class StyledMessageBox : public CustomDialogBase
{
    Q_OBJECT
public:
    enum
    {
        Closed = 1
    };

    explicit StyledMessageBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    PaintedButton* addButton(const QString& text, int code, PaintedButton::Style style);

public slots:
    void reject() override;

private:
    QLabel* m_text;
    QHBoxLayout* m_buttons;
};
