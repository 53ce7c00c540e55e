#pragma once

#include <QWidget>

class QPushButton;

// The offer's "download new versions by myself" check box, drawn with our own images.
class AutoDownloadWidget : public QWidget
{
    Q_OBJECT
public:
    explicit AutoDownloadWidget(QWidget* parent = nullptr);

    bool isChecked() const { return m_checked; }
    // Restores a remembered choice; only the student's own clicks are reported.
    void setChecked(bool checked);

signals:
    void status(bool stat);

private:
    void onClicked();

    QPushButton* m_box;
    bool m_checked = false;
};
