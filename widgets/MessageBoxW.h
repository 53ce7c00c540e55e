#pragma once

#include "widgets/CustomDialogBase.h"

namespace Ui {
class MessageBoxW;
}

// The program's modal question-and-answer box. showModal() is the one way callers use
// it: it builds a box, runs it and hands back the answer.
class MessageBoxW : public CustomDialogBase
{
    Q_OBJECT

public:
    enum Mode
    {
        NoButtons = 0,
        OkButton = 1,
        OkCancelButtons = 2
    };

    explicit MessageBoxW(QWidget* parent = nullptr);
    ~MessageBoxW() override;

    // Returns 1 when an OK button was clicked; 0 when the box was cancelled, closed or
    // its parent was destroyed. An empty title gives the small box without a title bar.
    static int showModal(QWidget* parent, const QString& title, const QString& text, int mode,
        const QString& okText, const QString& cancelText = QString());

public slots:
    void onOkClicked();
    void onCancelClicked();

private:
    void chooseButtons(int mode, const QString& okText, const QString& cancelText);

    Ui::MessageBoxW* m_ui;
};
