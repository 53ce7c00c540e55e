#pragma once

#include <QLabel>

class QTimer;

// A short red notice over the top of a window ("日志上传中", "自动升级中", ...) that
// hides itself after two seconds.
class NoticeLabel : public QLabel
{
    Q_OBJECT
public:
    explicit NoticeLabel(QWidget* parent);

    void showNotice(const QString& text);

private:
    QTimer* m_hideTimer = nullptr;
};
