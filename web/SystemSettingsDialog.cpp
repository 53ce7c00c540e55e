#include "web/SystemSettingsDialog.h"

#include "app/Context.h"
#include "app/Settings.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const char kTextStyle[] = "color:#212831;font:14px \"Microsoft YaHei\";";
const char kFolderStyle[] = "QLineEdit { color:#858C96; font:13px \"Microsoft YaHei\"; "
                            "border:1px solid #DCDFE6; border-radius:4px; padding:0 6px; }";
const char kButtonStyle[]
    = "QPushButton { color:#FFFFFF; background:#FA4F42; border:none; border-radius:4px; "
      "font:13px \"Microsoft YaHei\"; } QPushButton:hover { background:#FF6A5F; }";

} // namespace

SystemSettingsDialog::SystemSettingsDialog(QWidget* parent)
    : CustomDialogBase(parent)
    , m_folder(new QLineEdit)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setTitle(QStringLiteral("系统设置"), QStringLiteral("color: #000000;"));
    setFixedSize(420, 270);

    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(32, 20, 32, 28);
    layout->setSpacing(16);

    connect(addCheckBox(QStringLiteral("playRestoreBox"),
                QStringLiteral("回放从上次看到的地方继续播放"), playRestoreEnabled()),
        &QCheckBox::toggled, this, &SystemSettingsDialog::onPlayRestoreToggled);
    connect(addCheckBox(QStringLiteral("autoDownloadBox"), QStringLiteral("有新版本时自动下载"),
                readSetting(QStringLiteral("update"), QStringLiteral("AutoDownload")).toBool()),
        &QCheckBox::toggled, this, &SystemSettingsDialog::onAutoDownloadToggled);

    auto* folderTitle = new QLabel(QStringLiteral("图片保存位置"));
    folderTitle->setStyleSheet(QLatin1String(kTextStyle));
    layout->addWidget(folderTitle);
    auto* folderRow = new QHBoxLayout;
    m_folder->setObjectName(QStringLiteral("pixPathEdit"));
    m_folder->setReadOnly(true);
    m_folder->setFixedHeight(30);
    m_folder->setStyleSheet(QLatin1String(kFolderStyle));
    const QString folder = readSetting(QStringLiteral("sys"), QStringLiteral("PixPath")).toString();
    m_folder->setText(folder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
            : folder);
    auto* choose = new QPushButton(QStringLiteral("更改"));
    choose->setObjectName(QStringLiteral("chooseFolderBtn"));
    choose->setFixedSize(64, 30);
    choose->setCursor(Qt::PointingHandCursor);
    choose->setStyleSheet(QLatin1String(kButtonStyle));
    connect(choose, &QPushButton::clicked, this, &SystemSettingsDialog::onChooseFolder);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(choose);
    layout->addLayout(folderRow);
    layout->addStretch(1);
}

QCheckBox* SystemSettingsDialog::addCheckBox(
    const QString& objectName, const QString& text, bool checked)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(objectName);
    box->setChecked(checked);
    box->setCursor(Qt::PointingHandCursor);
    box->setStyleSheet(QLatin1String(kTextStyle));
    centralWidget()->layout()->addWidget(box);
    return box;
}

void SystemSettingsDialog::onPlayRestoreToggled(bool enabled)
{
    Context::instance()->data().playRestore = enabled;
    writeSetting(QStringLiteral("enablePlayRestore"), QStringLiteral("isEnable"),
        enabled ? QStringLiteral("true") : QStringLiteral("false"));
}

// The update offer's own check box stores "true" or "false" here, this menu "1" or "0"; the
// box above reads either.
void SystemSettingsDialog::onAutoDownloadToggled(bool enabled)
{
    writeSetting(QStringLiteral("update"), QStringLiteral("AutoDownload"),
        enabled ? QStringLiteral("1") : QStringLiteral("0"));
}

void SystemSettingsDialog::onChooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("选择图片保存位置"), m_folder->text());
    if (folder.isEmpty())
        return;
    m_folder->setText(folder);
    writeSetting(QStringLiteral("sys"), QStringLiteral("PixPath"), folder);
}
