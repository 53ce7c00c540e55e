#include "update/ZovLogoWidget.h"

#include "update/UpdateDialogStyle.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

ZovLogoWidget::ZovLogoWidget(QWidget* parent)
    : QWidget(parent)
    , m_version(UpdateDialogStyle::label(
          QStringLiteral("font: 12px \"Microsoft YaHei\";color:#666666;"), Qt::AlignCenter, this))
{
    auto* logo = new QLabel(this);
    logo->setFixedSize(48, 48);
    logo->setScaledContents(true);
    logo->setPixmap(QPixmap(QStringLiteral("res/student.png")));
    auto* title = UpdateDialogStyle::label(
        QStringLiteral("font: 18px \"Microsoft YaHei\";color:#333333;"), Qt::AlignCenter, this);
    title->setText(QStringLiteral("Zov1对1学生版"));
    title->setFixedHeight(28);
    m_version->setObjectName(QStringLiteral("versionLine"));
    m_version->setFixedHeight(20);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(0);
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addWidget(title);
    layout->addWidget(m_version);
}

void ZovLogoWidget::setVersionText(const QString& text)
{
    m_version->setText(text);
}
