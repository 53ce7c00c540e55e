#include "app/ProtocolDialog.h"

#include "app/Context.h"
#include "app/Settings.h"

#include "ui_ProtocolDialog.h"

#include <QDesktopServices>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCursor>

namespace {

const char* const userAgreementLink = "procol-1";
const char* const privacyPolicyLink = "procol-2";

constexpr int lineHeight = 22;
constexpr qreal cornerRadius = 8.0;

QStringList noticeParagraphs()
{
    return {
        QStringLiteral(
            "欢迎使用Zov1对1学生版！我们深知个人信息对您的重要性。为向您提供一对一在线辅导"
            "服务，本软件可能会收集、使用和共享您的部分个人信息。请您在使用前仔细阅读并充分"
            "理解<a href=\"%1\" style=\"color:#FF4544;text-decoration:none;\">《用户协议》</a>"
            "和<a href=\"%2\" style=\"color:#FF5859;text-decoration:none;\">《隐私政策》</a>"
            "，我们将严格按照协议和政策的约定处理和保护您的个人信息。《隐私政策》主要向您"
            "说明以下内容：")
            .arg(QLatin1String(userAgreementLink), QLatin1String(privacyPolicyLink)),
        QStringLiteral("1.平台如何收集和使用您的个人信息"),
        QStringLiteral("2.平台如何使用Cookie和同类技术"),
        QStringLiteral("3.平台如何共享、转让、公开披露您的个人信息"),
        QStringLiteral("4.平台如何保护您的个人信息"),
        QStringLiteral("5.平台如何处理未成年人的个人信息"),
        QStringLiteral("6.您的个人信息如何在全球范围转移"),
        QStringLiteral("7.您的个人信息变更途径"),
        QStringLiteral("8.本隐私政策如何更新"),
        QStringLiteral("根据相关法律法规的要求，您需要阅读并同意《隐私政策》和《用户协议》后，"
                       "才能使用本软件。如您同意，请点击“同意”开始使用我们的服务。"),
    };
}

void openInBrowser(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace

ProtocolDialog::ProtocolDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ProtocolDialog)
{
    // The form names its buttons so that setupUi connects the on_<name>_clicked slots.
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowIcon(QIcon(QStringLiteral("res/student.png")));
    setFixedSize(364, 524);

    connect(
        m_ui->textBrowser, &QTextBrowser::anchorClicked, this, &ProtocolDialog::onAnchorClicked);
    fillNotice();
    showNoticePage();
}

ProtocolDialog::~ProtocolDialog()
{
    delete m_ui;
}

void ProtocolDialog::fillNotice()
{
    QTextBrowser* browser = m_ui->textBrowser;
    for (const QString& paragraph : noticeParagraphs())
        browser->append(paragraph);

    QTextCursor cursor(browser->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(lineHeight, QTextBlockFormat::FixedHeight);
    cursor.mergeBlockFormat(format);

    browser->moveCursor(QTextCursor::Start);
    browser->verticalScrollBar()->setValue(0);
}

void ProtocolDialog::showNoticePage()
{
    m_ui->label_title->move(50, 81);
    m_ui->label_title->show();
    m_ui->textBrowser->show();
    m_ui->pbtn_agree->show();
    m_ui->pbtn_disagree->show();
    m_ui->pbtn_back->hide();
    m_ui->pbtn_Ikown->hide();
}

void ProtocolDialog::onAnchorClicked(const QUrl& url)
{
    const QString link = url.toString();
    if (link == QLatin1String(userAgreementLink)) {
        showNoticePage();
        openInBrowser(Context::instance()->data().useragreementUrl);
    } else if (link == QLatin1String(privacyPolicyLink)) {
        showNoticePage();
        openInBrowser(Context::instance()->data().privacyagreementUrl);
    }
}

void ProtocolDialog::onChangeUi()
{
    showNoticePage();
}

void ProtocolDialog::on_pbtn_Ikown_clicked(bool)
{
    showNoticePage();
}

void ProtocolDialog::on_pbtn_agree_clicked(bool)
{
    writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), QStringLiteral("true"));
    close();
}

void ProtocolDialog::on_pbtn_back_clicked(bool)
{
    showNoticePage();
}

void ProtocolDialog::on_pbtn_close_clicked(bool)
{
    emit sigClose();
    close();
}

void ProtocolDialog::on_pbtn_disagree_clicked(bool)
{
    writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), QStringLiteral("false"));
    close();
}

void ProtocolDialog::paintEvent(QPaintEvent*)
{
    // Frameless and translucent: the dialog draws its own white card with round corners.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(229, 229, 229));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(
        QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

void ProtocolDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_pressOffset = event->globalPos() - pos();
    }
    QDialog::mousePressEvent(event);
}

void ProtocolDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        move(event->globalPos() - m_pressOffset);
    QDialog::mouseMoveEvent(event);
}

void ProtocolDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
