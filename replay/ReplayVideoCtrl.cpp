#include "replay/ReplayVideoCtrl.h"

#include "replay/ReplayToolButton.h"
#include "replay/VideoPrograssBar.h"
#include "replay/Volume.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

const QString kPlayingIcon = QStringLiteral("res/replay/play.png");
const QString kPausedIcon = QStringLiteral("res/replay/pause.png");
constexpr int kIconSize = 28;
constexpr int kCheckHideIntervalMs = 1000;
// Idle checks before the bar hides.
constexpr int kChecksBeforeHiding = 3;

struct SpeedChoice
{
    const char* text;
    int code;
};

const SpeedChoice kSpeeds[] = { { "0.8x", 6 }, { "1x", 10 }, { "1.25x", 15 }, { "1.5x", 20 } };

const char* const kButtonStyle
    = "QToolButton { color: white; font-size: 14px; border: none; padding: 2px 6px; }"
      "QToolButton::menu-indicator { image: none; }"
      "QToolButton:hover { background: rgba(255, 255, 255, 40); border-radius: 4px; }";

} // namespace

ReplayVideoCtrl::ReplayVideoCtrl(QWidget* parent)
    : QWidget(parent)
    , m_progress(new VideoPrograssBar(this))
    , m_time(new QLabel(QStringLiteral("00:00 / 00:00"), this))
    , m_volume(new Volume(this))
    , m_hideTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("replayCtrl"));
    setMouseTracking(true);
    m_time->setStyleSheet(QStringLiteral("color: white; font-size: 13px;"));
    m_volume->hide();

    m_playButton = iconButton(QStringLiteral("playBtn"), kPlayingIcon);
    connect(m_playButton, &QToolButton::clicked, this, &ReplayVideoCtrl::onPlayBtnClicked);
    QToolButton* refresh
        = iconButton(QStringLiteral("refreshBtn"), QStringLiteral("res/replay/refresh.png"));
    refresh->setToolTip(QStringLiteral("刷新"));
    connect(refresh, &QToolButton::clicked, this, &ReplayVideoCtrl::onRefreshClicked);
    m_volumeButton
        = iconButton(QStringLiteral("volumeBtn"), QStringLiteral("res/replay/voice.png"));
    connect(m_volumeButton, &QToolButton::clicked, this, &ReplayVideoCtrl::onVolumeClicked);
    m_zoomButton = iconButton(QStringLiteral("zoomBtn"), QStringLiteral("res/replay/zoomIn.png"));
    connect(m_zoomButton, &QToolButton::clicked, this, &ReplayVideoCtrl::onZoomClicked);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(m_playButton);
    buttons->addWidget(m_time);
    buttons->addStretch(1);
    buttons->addWidget(createSpeedButton());
    buttons->addWidget(refresh);
    buttons->addWidget(m_volumeButton);
    buttons->addWidget(m_zoomButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 0, 16, 4);
    column->setSpacing(0);
    column->addWidget(m_progress);
    column->addLayout(buttons);

    connect(m_progress, &VideoPrograssBar::valueChanged, this, &ReplayVideoCtrl::onValueChanged);
    connect(m_progress, QOverload<float, QPoint, bool>::of(&VideoPrograssBar::tooltipChanged), this,
        &ReplayVideoCtrl::onShowValueTooltip);
    connect(m_progress, QOverload<QString, QPoint, bool>::of(&VideoPrograssBar::tooltipChanged),
        this, &ReplayVideoCtrl::onShowTooltip);
    connect(m_volume, &Volume::volumeChanged, this, &ReplayVideoCtrl::onVolumeValueChanged);
    m_hideTimer->setInterval(kCheckHideIntervalMs);
    connect(m_hideTimer, &QTimer::timeout, this, &ReplayVideoCtrl::onCheckHide);
    m_hideTimer->start();
}

QToolButton* ReplayVideoCtrl::iconButton(const QString& name, const QString& icon)
{
    return makeReplayToolButton(this, name, icon, kIconSize, kButtonStyle);
}

QToolButton* ReplayVideoCtrl::createSpeedButton()
{
    QToolButton* button = iconButton(QStringLiteral("speed"), QString());
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    auto* group = new QActionGroup(menu);
    for (const SpeedChoice& choice : kSpeeds) {
        QAction* action = menu->addAction(QString::fromLatin1(choice.text));
        action->setData(choice.code);
        action->setCheckable(true);
        group->addAction(action);
        if (choice.code == 10) {
            action->setChecked(true);
            button->setDefaultAction(action);
        }
    }
    button->setMenu(menu);
    connect(menu, &QMenu::triggered, this, &ReplayVideoCtrl::onSpeedPlayClicked);
    return button;
}

QString ReplayVideoCtrl::formatTime(int seconds)
{
    const int total = qMax(0, seconds);
    if (total < 3600)
        return QString::asprintf("%02d:%02d", total / 60, total % 60);
    return QString::asprintf("%02d:%02d:%02d", total / 3600, total % 3600 / 60, total % 60);
}

QString ReplayVideoCtrl::timeText() const
{
    return m_time->text();
}

float ReplayVideoCtrl::volume() const
{
    return m_volume->volume();
}

void ReplayVideoCtrl::onDurationChange(int seconds)
{
    duration = seconds;
    updateBarMarks();
}

void ReplayVideoCtrl::setMarks(const QVector<QPair<float, QString>>& marks)
{
    m_marks = marks;
    updateBarMarks();
}

void ReplayVideoCtrl::updateBarMarks()
{
    QVector<VideoPrograssBar::Mark> barMarks;
    if (duration > 0) {
        for (const auto& mark : qAsConst(m_marks)) {
            if (mark.first >= 0 && mark.first <= float(duration))
                barMarks.append({ mark.first / float(duration), mark.second });
        }
    }
    m_progress->setMarks(barMarks);
}

void ReplayVideoCtrl::onVideoStartPlay()
{
    setPlaying(true);
}

void ReplayVideoCtrl::onPlayerFinished()
{
    playing = false;
    m_playButton->setIcon(QIcon(kPausedIcon));
    current = float(duration);
    m_progress->setValue(1);
    m_time->setText(QStringLiteral("%1 / %1").arg(formatTime(duration)));
}

void ReplayVideoCtrl::onProgressBarChange(float position, int durationSeconds)
{
    current = position;
    m_progress->setValue(durationSeconds > 0 ? position / float(durationSeconds) : 0);
    m_time->setText(
        QStringLiteral("%1 / %2").arg(formatTime(int(position)), formatTime(durationSeconds)));
}

void ReplayVideoCtrl::onPlayBtnClicked()
{
    setPlaying(!playing);
    emit playStatusChanged(playing);
}

void ReplayVideoCtrl::setPlaying(bool isPlaying)
{
    playing = isPlaying;
    m_playButton->setIcon(QIcon(playing ? kPlayingIcon : kPausedIcon));
}

void ReplayVideoCtrl::onValueChanged(float value)
{
    seekTo(float(duration) * value);
}

void ReplayVideoCtrl::seekBy(float seconds)
{
    if (duration > 0)
        seekTo(qBound(0.0f, current + seconds, float(duration)));
}

// A seek while paused goes on playing from the new place.
void ReplayVideoCtrl::seekTo(float seconds)
{
    current = seconds;
    emit valueChanged(seconds);
    if (!playing) {
        setPlaying(true);
        emit playStatusChanged(true);
    }
}

void ReplayVideoCtrl::onRefreshClicked()
{
    emit videoRefresh(current);
}

void ReplayVideoCtrl::onVolumeClicked()
{
    m_volume->adjustSize();
    const QPoint buttonTop = m_volumeButton->mapToGlobal(QPoint(0, 0));
    m_volume->move(
        buttonTop.x() - m_volumeButton->width() / 4, buttonTop.y() - m_volume->height() - 20);
    m_volume->show();
    m_volume->raise();
}

void ReplayVideoCtrl::changeVolumeBy(float step)
{
    m_volume->setVolume(m_volume->volume() + step);
}

void ReplayVideoCtrl::onVolumeValueChanged(float value)
{
    m_volumeButton->setIcon(QIcon(value <= 0 ? QStringLiteral("res/replay/mute.png")
                                             : QStringLiteral("res/replay/voice.png")));
    emit volumeChanged(value);
}

void ReplayVideoCtrl::onZoomClicked()
{
    emit screenChanged();
}

void ReplayVideoCtrl::onSetFullScreenState(bool state)
{
    m_zoomButton->setIcon(QIcon(state ? QStringLiteral("res/replay/zoomOut.png")
                                      : QStringLiteral("res/replay/zoomIn.png")));
    onUserActivity();
}

void ReplayVideoCtrl::onCheckHide()
{
    if (++idleChecks < kChecksBeforeHiding)
        return;
    idleChecks = 0;
    if (!m_volume->isVisible() && !rect().contains(mapFromGlobal(QCursor::pos())))
        hide();
}

void ReplayVideoCtrl::onUserActivity()
{
    idleChecks = 0;
    if (!isVisible()) {
        show();
        raise();
    }
}

void ReplayVideoCtrl::mouseMoveEvent(QMouseEvent* event)
{
    onUserActivity();
    QWidget::mouseMoveEvent(event);
}

void ReplayVideoCtrl::onShowTooltip(QString text, QPoint pos, bool show)
{
    if (!show || duration <= 0) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(pos - QPoint(0, 36), text, m_progress);
}

void ReplayVideoCtrl::onShowValueTooltip(float value, QPoint pos, bool show)
{
    onShowTooltip(formatTime(int(float(duration) * value)), pos, show);
}

void ReplayVideoCtrl::onSpeedPlayClicked(QAction* action)
{
    if (auto* button = findChild<QToolButton*>(QStringLiteral("speed")))
        button->setDefaultAction(action);
    emit speedPlay(action->data().toInt());
}

void ReplayVideoCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, QColor(0, 0, 0, 60));
    shade.setColorAt(1, QColor(0, 0, 0, 170));
    painter.fillRect(rect(), shade);
}
