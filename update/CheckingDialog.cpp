#include "update/CheckingDialog.h"

#include "update/PaintedButton.h"
#include "update/UpdateDialogStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString TextStyle = QStringLiteral("font: 16px \"Microsoft YaHei\";color:#333333;");
const QString CheckingTitleStyle = QStringLiteral("color: #999999;");

} // namespace

CheckingDialog::CheckingDialog(QWidget* parent)
    : CustomDialogBase(parent)
    , m_pages(new QStackedWidget(centralWidget()))
{
    UpdateDialogStyle::prepare(this);
    setTitle(QStringLiteral("提示"), CheckingTitleStyle);
    setFixedSize(410, 272);

    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->addWidget(createCheckingPage());
    m_pages->addWidget(createResultPage());
    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(10, 8, 10, 10);
    layout->addWidget(m_pages);

    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CheckingDialog::onTimeout);
    showChecking();
}

QWidget* CheckingDialog::createCheckingPage()
{
    auto* page = new QWidget;
    auto* text = UpdateDialogStyle::label(TextStyle, Qt::AlignRight | Qt::AlignVCenter, page);
    text->setText(QStringLiteral("检查更新中"));
    text->setFixedSize(230, 30);
    m_dots = UpdateDialogStyle::label(TextStyle, Qt::AlignLeft | Qt::AlignVCenter, page);
    m_dots->setObjectName(QStringLiteral("dots"));
    m_dots->setFixedHeight(30);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(text);
    row->addWidget(m_dots, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 25);
    layout->addStretch();
    layout->addLayout(row);
    return page;
}

QWidget* CheckingDialog::createResultPage()
{
    auto* page = new QWidget;
    m_result = UpdateDialogStyle::label(TextStyle, Qt::AlignCenter, page);
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setFixedHeight(30);
    auto* ok = new PaintedButton(QStringLiteral("确定"), PaintedButton::Primary, page);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setFixedSize(130, 30);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The label's top at 60 and the button's at 140, as laid out by the spacings.
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 60, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_result);
    layout->addSpacing(50);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->addStretch();
    return page;
}

void CheckingDialog::showChecking()
{
    if (!m_timer.isActive()) {
        m_timer.start();
    }
    setTitle(QStringLiteral("检测"), CheckingTitleStyle);
    m_pages->setCurrentIndex(CheckingPage);
}

void CheckingDialog::showLatest(const QString& version)
{
    showResult(QStringLiteral("当前版本%1，你已是最新版本").arg(version));
}

void CheckingDialog::showFailed()
{
    showResult(QStringLiteral("检查更新失败，请检查网络是否正常"));
}

void CheckingDialog::showResult(const QString& text)
{
    m_timer.stop();
    setTitle(QStringLiteral("提示"), CheckingTitleStyle);
    m_result->setText(text);
    m_pages->setCurrentIndex(ResultPage);
}

void CheckingDialog::onTimeout()
{
    m_dotCount = (m_dotCount + 1) % 4;
    m_dots->setText(QString(m_dotCount, QLatin1Char('.')));
}
