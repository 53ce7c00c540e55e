#pragma once

#include <QDialog>
#include <QPoint>
#include <QUrl>

namespace Ui {
class ProtocolDialog;
}

// The notice shown before a first log-in: how the service handles personal data, with
// links to the user agreement and the privacy policy. The answer goes to setting.ini
// ("Privacy"/"Privacy"); closing the notice leaves the earlier answer in place.
class ProtocolDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProtocolDialog(QWidget* parent = nullptr);
    ~ProtocolDialog() override;

signals:
    // The user closed the notice with its close icon, leaving the stored answer as it was.
    void sigClose();

public slots:
    void onAnchorClicked(const QUrl& url);
    void onChangeUi();
    void on_pbtn_Ikown_clicked(bool checked);
    void on_pbtn_agree_clicked(bool checked);
    void on_pbtn_back_clicked(bool checked);
    void on_pbtn_close_clicked(bool checked);
    void on_pbtn_disagree_clicked(bool checked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fillNotice();
    void showNoticePage();

    Ui::ProtocolDialog* m_ui;
    bool m_dragging = false;
    QPoint m_pressOffset;
};
