#pragma once

#include "widgets/CustomDialogBase.h"

#include <QTimer>

class QLabel;
class QStackedWidget;

// Shown while a check the user asked for runs; afterwards it tells the outcome.
class CheckingDialog : public CustomDialogBase
{
    Q_OBJECT
public:
    enum Page
    {
        CheckingPage = 0,
        ResultPage = 1
    };

    explicit CheckingDialog(QWidget* parent = nullptr);

    void showChecking();
    void showLatest(const QString& version);
    void showFailed();

private:
    QWidget* createCheckingPage();
    QWidget* createResultPage();
    void showResult(const QString& text);
    void onTimeout();

    QStackedWidget* m_pages;
    QLabel* m_dots = nullptr;
    QLabel* m_result = nullptr;
    int m_dotCount = 0;
    QTimer m_timer;
};
