#include "web/NoticeLabel.h"

#include <QTimer>

namespace {

constexpr int kWidth = 150;
constexpr int kHeight = 36;
constexpr int kTop = 10;
constexpr int kShownMs = 2000;

} // namespace

NoticeLabel::NoticeLabel(QWidget* parent)
    : QLabel(parent)
    , m_hideTimer(new QTimer(this))
{
    setFixedSize(kWidth, kHeight);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("color:#FFFFFF;font-size:12px;"
                                 "background-color:rgba(250,79,66,215);border-radius:16px;"));
    m_hideTimer->setSingleShot(true);
    m_hideTimer->setInterval(kShownMs);
    connect(m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void NoticeLabel::showNotice(const QString& text)
{
    setText(text);
    move((parentWidget()->width() - kWidth) / 2, kTop);
    raise();
    show();
    m_hideTimer->start();
}
