#include "update/AutoDownloadWidget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>

AutoDownloadWidget::AutoDownloadWidget(QWidget* parent)
    : QWidget(parent)
    , m_box(new QPushButton(QStringLiteral("有新版本时自动下载"), this))
{
    m_box->setObjectName(QStringLiteral("autoDownloadBox"));
    m_box->setFocusPolicy(Qt::NoFocus);
    m_box->setCursor(Qt::PointingHandCursor);
    m_box->setIconSize(QSize(12, 12));
    m_box->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;"
                                        "font: 12px \"Microsoft YaHei\";color:#666666;"
                                        "text-align:left;padding:0px;}"));
    setChecked(false);
    connect(m_box, &QPushButton::clicked, this, &AutoDownloadWidget::onClicked);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_box);
    layout->addStretch();
}

void AutoDownloadWidget::setChecked(bool checked)
{
    m_checked = checked;
    m_box->setIcon(QIcon(checked ? QStringLiteral("res/update/checked.png")
                                 : QStringLiteral("res/update/normal.png")));
}

void AutoDownloadWidget::onClicked()
{
    qInfo() << "AutoDownloadWidget::onClicked()";
    setChecked(!m_checked);
    emit status(m_checked);
}
