#pragma once

#include "widgets/CustomDialogBase.h"

class AutoDownloadWidget;
class QLabel;
class TraitScrollWidget;
class UpdateOptsWidget;
class ZovLogoWidget;

// Offers a new version with its release notes and reports what the student chose. The
// dialog decides nothing itself; its owner reacts to the signals.
class UpdateOpDialog : public CustomDialogBase
{
    Q_OBJECT
public:
    UpdateOpDialog(
        bool userClicked, bool isImportant, bool autoDownloadChecked, QWidget* parent = nullptr);

    void setVersionText(const QString& text);
    void setUpdateMsg(const QString& msg);

signals:
    void skip();
    void showNextTime();
    void update();
    void btnClose();
    void autoDownload(bool stat);

protected slots:
    void onClose() override;

private:
    ZovLogoWidget* m_logo;
    QLabel* m_notice;
    TraitScrollWidget* m_notes;
    AutoDownloadWidget* m_autoDownload;
    UpdateOptsWidget* m_options;
};
