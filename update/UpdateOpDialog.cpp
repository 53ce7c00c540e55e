#include "update/UpdateOpDialog.h"

#include "update/AutoDownloadWidget.h"
#include "update/TraitScrollWidget.h"
#include "update/UpdateDialogStyle.h"
#include "update/UpdateOptsWidget.h"
#include "update/ZovLogoWidget.h"

#include <QLabel>
#include <QVBoxLayout>

UpdateOpDialog::UpdateOpDialog(
    bool userClicked, bool isImportant, bool autoDownloadChecked, QWidget* parent)
    : CustomDialogBase(parent)
    , m_logo(new ZovLogoWidget(centralWidget()))
    , m_notice(
          UpdateDialogStyle::label(QStringLiteral("font: 14px \"Microsoft YaHei\";color:#F13232;"),
              Qt::AlignCenter, centralWidget()))
    , m_notes(new TraitScrollWidget(centralWidget()))
    , m_autoDownload(new AutoDownloadWidget(centralWidget()))
    , m_options(new UpdateOptsWidget(centralWidget()))
{
    UpdateDialogStyle::prepare(this);
    setTitle(QStringLiteral("发现更新"), UpdateDialogStyle::titleStyle());
    setFixedSize(500, 370);

    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setFixedHeight(18);
    m_notes->setFixedHeight(100);
    m_notes->setText(QString());
    m_autoDownload->setFixedHeight(34);
    m_autoDownload->setChecked(autoDownloadChecked);
    m_options->setFixedHeight(30);

    if (isImportant) {
        m_notice->setText(QStringLiteral("更新涉及重要功能，当前版本无法使用"));
        m_notice->setFixedHeight(30);
        UpdateDialogStyle::setCloseButtonVisible(this, false);
    }
    if (userClicked || isImportant) {
        m_options->hideSkipAndLater();
    }

    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(60, 8, 60, 20);
    layout->setSpacing(0);
    layout->addWidget(m_logo);
    layout->addWidget(m_notice);
    layout->addWidget(m_notes);
    layout->addWidget(m_autoDownload);
    layout->addStretch();
    layout->addWidget(m_options);

    connect(m_options, &UpdateOptsWidget::skip, this, &UpdateOpDialog::skip);
    connect(m_options, &UpdateOptsWidget::showNextTime, this, &UpdateOpDialog::showNextTime);
    connect(m_options, &UpdateOptsWidget::update, this, &UpdateOpDialog::update);
    connect(m_autoDownload, &AutoDownloadWidget::status, this, &UpdateOpDialog::autoDownload);
}

void UpdateOpDialog::setVersionText(const QString& text)
{
    m_logo->setVersionText(text);
}

void UpdateOpDialog::setUpdateMsg(const QString& msg)
{
    m_notes->setText(msg);
}

void UpdateOpDialog::onClose()
{
    emit btnClose();
    reject();
}
