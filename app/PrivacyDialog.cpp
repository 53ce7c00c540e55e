#include "app/PrivacyDialog.h"

#include "app/Context.h"

#include "ui_PrivacyDialog.h"

#include <QIcon>
#include <QUrl>
#include <QWebEngineView>

namespace {

QString documentAddress(int type)
{
    const ContextData& context = Context::instance()->data();
    return type == PrivacyDialog::UserAgreement ? context.useragreementUrl
                                                : context.privacyagreementUrl;
}

} // namespace

PrivacyDialog::PrivacyDialog(int type, QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::PrivacyDialog)
{
    // The form names the close button so that setupUi connects on_pushButton_clicked.
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_StyledBackground);
    setWindowIcon(QIcon(QStringLiteral("res/student.png")));
    setFixedSize(364, 524);

    m_ui->webView->load(QUrl(documentAddress(type)));
}

PrivacyDialog::~PrivacyDialog()
{
    delete m_ui;
}

void PrivacyDialog::on_pushButton_clicked(bool)
{
    emit sigClosed();
    close();
}
