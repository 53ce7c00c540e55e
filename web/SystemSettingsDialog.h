#pragma once

#include "widgets/CustomDialogBase.h"

class QCheckBox;
class QLineEdit;

// The title bar's system settings: whether a replay starts where the student left it,
// whether updates download by themselves, and the folder pictures are saved in. Every
// change is stored at once; there is nothing to confirm.
class SystemSettingsDialog : public CustomDialogBase
{
    Q_OBJECT

public:
    explicit SystemSettingsDialog(QWidget* parent = nullptr);

private:
    void onPlayRestoreToggled(bool enabled);
    void onAutoDownloadToggled(bool enabled);
    void onChooseFolder();
    QCheckBox* addCheckBox(const QString& objectName, const QString& text, bool checked);

    QLineEdit* m_folder;
};
