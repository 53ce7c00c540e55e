#include "replay/VideoLoading.h"

#include "replay/SequenceFrame.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

// The video shows through the overlay, dimmed.
const QColor kDimColor(0, 0, 0, 114);
constexpr int kAnimationSize = 64;
constexpr int kTextWidth = 360;

const char* const kButtonStyle
    = "QPushButton { color: white; font-size: 16px; border: none; border-radius: 20px;"
      " padding: 0 32px; min-height: 40px;"
      " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #FF7A45, stop:1 #FF5E50); }"
      "QPushButton:hover { background: #FF5E50; }";

QLabel* whiteLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    // A wrapping label would otherwise take the narrowest width its words allow.
    label->setMinimumWidth(kTextWidth);
    // White text stays readable over the light courseware pages behind the dimming.
    label->setStyleSheet(QStringLiteral("color: white; font-size: 15px; padding: 6px 16px;"
                                        " border-radius: 16px; background: rgba(0, 0, 0, 120);"));
    return label;
}

QPushButton* pillButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setStyleSheet(QLatin1String(kButtonStyle));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QVBoxLayout* centredColumn(QWidget* page)
{
    auto* column = new QVBoxLayout(page);
    column->setAlignment(Qt::AlignCenter);
    column->setSpacing(16);
    return column;
}

} // namespace

VideoLoading::VideoLoading(QWidget* parent)
    : QWidget(parent)
    , m_pages(new QStackedLayout(this))
{
    setObjectName(QStringLiteral("videoLoading"));
    m_pages->addWidget(createLoadingPage());
    m_pages->addWidget(createMessagePage());
    m_pages->addWidget(createReplayPage());
}

QWidget* VideoLoading::createLoadingPage()
{
    auto* page = new QWidget(this);
    auto* column = centredColumn(page);
    m_animation = new SequenceFrame(page);
    m_animation->setFixedSize(kAnimationSize, kAnimationSize);
    m_animation->load(QStringLiteral("res/replay/loading"), QStringLiteral("loading_"));
    column->addWidget(m_animation, 0, Qt::AlignHCenter);
    m_loadingText = whiteLabel(page);
    column->addWidget(m_loadingText);
    return page;
}

QWidget* VideoLoading::createMessagePage()
{
    auto* page = new QWidget(this);
    auto* column = centredColumn(page);
    m_messageText = whiteLabel(page);
    column->addWidget(m_messageText);
    QPushButton* retry = pillButton(QStringLiteral("重试"), page);
    retry->setObjectName(QStringLiteral("retryButton"));
    connect(retry, &QPushButton::clicked, this, &VideoLoading::notifyRetryClicked);
    column->addWidget(retry, 0, Qt::AlignHCenter);
    return page;
}

QWidget* VideoLoading::createReplayPage()
{
    auto* page = new QWidget(this);
    auto* column = centredColumn(page);
    QPushButton* replay = pillButton(QStringLiteral("重播"), page);
    replay->setObjectName(QStringLiteral("replayButton"));
    replay->setIcon(QIcon(QStringLiteral("res/replay/replayBig.png")));
    replay->setIconSize(QSize(24, 24));
    connect(replay, &QPushButton::clicked, this, &VideoLoading::notifyReplayClicked);
    column->addWidget(replay, 0, Qt::AlignHCenter);
    return page;
}

void VideoLoading::showLoading(const QString& text)
{
    m_loadingText->setText(text);
    showPage(LoadingPage);
    m_animation->start(SequenceFrame::Loop);
}

void VideoLoading::showMessage(const QString& text)
{
    m_messageText->setText(text);
    showPage(MessagePage);
}

void VideoLoading::showReplay()
{
    showPage(ReplayPage);
}

void VideoLoading::showPage(Page page)
{
    m_pages->setCurrentIndex(page);
    show();
    raise();
}

VideoLoading::Page VideoLoading::page() const
{
    return Page(m_pages->currentIndex());
}

void VideoLoading::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), kDimColor);
}
