#pragma once

#include <QWidget>

namespace Ui {
class PrivacyDialog;
}

// One of the two agreement documents, shown inside the client in a web view. The
// window deletes itself when closed.
class PrivacyDialog : public QWidget
{
    Q_OBJECT

public:
    // The document type the web page asks for: 4 the user agreement, anything else the
    // privacy policy.
    enum DocumentType
    {
        UserAgreement = 4,
        PrivacyPolicy = 5,
    };

    explicit PrivacyDialog(int type, QWidget* parent = nullptr);
    ~PrivacyDialog() override;

signals:
    void sigClosed();

public slots:
    void on_pushButton_clicked(bool checked);

private:
    Ui::PrivacyDialog* m_ui;
};
