#pragma once

#include "widgets/CustomDialogBase.h"

class QStackedWidget;
class UpdateProgressWidget;
class ZovLogoWidgetEx;

// Shows a running update download, its failure with retry, and the restart into the new
// version. Its owner drives the pages; the dialog reports retry and cancel back.
class UpdatingDialogEx : public CustomDialogBase
{
    Q_OBJECT
public:
    enum Page
    {
        ProgressPage = 0,
        SuccessPage = 1,
        FailurePage = 2
    };

    UpdatingDialogEx(const QString& versionText, bool isImportant, QWidget* parent = nullptr);

    // What "立即重启" opens: the new program file, or the downloaded package.
    void setNewAppPath(const QString& path) { m_newAppPath = path; }

    void setProgressWidget();
    void setSuccessWidget();
    void setFailedWidget(const QString& title);

signals:
    void retryDownload();
    void cancelDownload();

public slots:
    void onProgress(float value);
    void onClose() override;
    void onRetry();
    void onCancel();
    void onRestart();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* createSuccessPage();
    QWidget* createFailurePage();
    void showProgressPage(float value);
    void showSuccessPage();
    void showFailurePage(const QString& title);
    bool confirmQuit();
    void restorePageAfterConfirm();
    void leave();
    static bool mainWindowExists();

    QString m_versionText;
    bool m_isImportant;
    QString m_newAppPath;
    float m_progress = 0;
    bool m_confirming = false;
    bool m_failed = false;
    ZovLogoWidgetEx* m_logo;
    QStackedWidget* m_pages;
    UpdateProgressWidget* m_bar;
};
