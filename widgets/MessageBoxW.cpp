#include "widgets/MessageBoxW.h"

#include "ui_MessageBoxW.h"

#include <QIcon>
#include <QPointer>

MessageBoxW::MessageBoxW(QWidget* parent)
    : CustomDialogBase(parent)
    , m_ui(new Ui::MessageBoxW)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_ui->setupUi(centralWidget());
    setWindowIcon(QIcon(QStringLiteral("res/student.png")));
    setWindowTitle(QStringLiteral("Zov1对1学生版"));

    connect(m_ui->ok1Btn, &QPushButton::clicked, this, &MessageBoxW::onOkClicked);
    connect(m_ui->okBtn, &QPushButton::clicked, this, &MessageBoxW::onOkClicked);
    connect(m_ui->cancelBtn, &QPushButton::clicked, this, &MessageBoxW::onCancelClicked);
}

MessageBoxW::~MessageBoxW()
{
    delete m_ui;
}

int MessageBoxW::showModal(QWidget* parent, const QString& title, const QString& text, int mode,
    const QString& okText, const QString& cancelText)
{
    // The parent may take the box with it while it runs, so only a guarded pointer
    // may touch it after the modal run.
    QPointer<MessageBoxW> box = new MessageBoxW(parent);
    box->setAttribute(Qt::WA_AlwaysStackOnTop);
    if (parent) {
        connect(parent, &QObject::destroyed, box, &QDialog::reject);
    }

    box->setTitle(title, QStringLiteral("color: #000000;"));
    if (title.isEmpty()) {
        box->showTitleBar(false);
        box->setFixedSize(312, 128);
    } else {
        box->setFixedSize(412, 187);
    }
    box->chooseButtons(mode, okText, cancelText);
    box->m_ui->msg_label->setText(text);

    const int result = box->exec();
    if (box) {
        box->deleteLater();
    }
    return result;
}

void MessageBoxW::onOkClicked()
{
    accept();
}

void MessageBoxW::onCancelClicked()
{
    reject();
}

void MessageBoxW::chooseButtons(int mode, const QString& okText, const QString& cancelText)
{
    if (mode == NoButtons) {
        m_ui->btnWidget->hide();
        return;
    }
    QPushButton* ok = m_ui->okBtn;
    if (mode == OkButton) {
        m_ui->okBtn->hide();
        m_ui->cancelBtn->hide();
        ok = m_ui->ok1Btn;
    } else {
        m_ui->ok1Btn->hide();
        m_ui->cancelBtn->setText(cancelText);
    }
    ok->setText(okText);
    // The OK button starts with the focus so that Return answers it; Escape rejects the
    // box as in every dialog.
    ok->setDefault(true);
    ok->setFocus();
}
