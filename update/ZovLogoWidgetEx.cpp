#include "update/ZovLogoWidgetEx.h"

#include "update/UpdateDialogStyle.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPixmap>
#include <QUrl>
#include <QVBoxLayout>

ZovLogoWidgetEx::ZovLogoWidgetEx(QWidget* parent)
    : QWidget(parent)
    , m_line(UpdateDialogStyle::label(
          QStringLiteral("font: 12px \"Microsoft YaHei\";color:#666666;margin-top:0px;"),
          Qt::AlignCenter, this))
    , m_progress(UpdateDialogStyle::label(
          QStringLiteral("font: 14px \"Microsoft YaHei\";color:#666666;margin-top:10px;"),
          Qt::AlignCenter, this))
{
    auto* logo = new QLabel(this);
    logo->setFixedSize(80, 80);
    logo->setScaledContents(true);
    logo->setPixmap(QPixmap(QStringLiteral("res/student.png")));
    auto* title = UpdateDialogStyle::label(
        QStringLiteral("font: 24px \"Microsoft YaHei\";color:#333333;"), Qt::AlignCenter, this);
    title->setText(QStringLiteral("Zov1对1学生版"));

    m_line->setObjectName(QStringLiteral("line"));
    m_line->setFixedHeight(25);
    m_line->setTextFormat(Qt::RichText);
    m_line->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(m_line, &QLabel::linkActivated, this, &ZovLogoWidgetEx::onOpenUrl);
    m_progress->setObjectName(QStringLiteral("progressLine"));
    m_progress->setFixedHeight(30);
    m_progress->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch();
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addWidget(title);
    layout->addWidget(m_line);
    layout->addWidget(m_progress);
    layout->addStretch();
}

void ZovLogoWidgetEx::setLineText(const QString& text)
{
    m_line->setText(text);
}

void ZovLogoWidgetEx::setProgress(float value)
{
    if (m_progress->isHidden()) {
        m_progress->show();
    }
    m_progress->setText(QStringLiteral("%1 %2%")
                            .arg(QStringLiteral("当前更新进度："))
                            .arg(QString::asprintf("%.2f", double(value) * 100)));
}

void ZovLogoWidgetEx::hideProgress()
{
    m_progress->hide();
}

void ZovLogoWidgetEx::onOpenUrl(QString url)
{
    QDesktopServices::openUrl(QUrl(url));
}
