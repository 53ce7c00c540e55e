#include "replay/ReplayPlayPage.h"

#include "app/Context.h"
#include "app/Settings.h"
#include "core/PullStream.h"
#include "replay/MainQuickWidget.h"
#include "replay/PlayProgressStore.h"
#include "replay/ReadRelayData.h"
#include "replay/ReplayDataManager.h"
#include "replay/ReplayVideoCtrl.h"
#include "replay/RoomTitleWidget.h"
#include "replay/VideoFrameSplitter.h"
#include "replay/VideoLoading.h"
#include "replay/VideoQuickWidget.h"
#include "widgets/MessageBoxW.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>

namespace {

using zov::pull::PullStream;

constexpr int kTitleHeight = 50;
constexpr int kControlBarHeight = 60;
constexpr int kUpdateUiDelayMs = 20;
constexpr int kSpeedReapplyDelayMs = 1000;
constexpr int kRetryStepMs = 5000;
constexpr int kLastRetryStep = 4;
constexpr qint64 kSaveIntervalMs = 20000;
// Nearer the end than this, the stored place is left as it was.
constexpr float kNoSaveBeforeEndSeconds = 30;
constexpr float kSeekStepSeconds = 10;
constexpr float kVolumeStep = 0.1f;
const QSize kPreferredSize(1280, kTitleHeight + 720);

const QString kLoadingText = QStringLiteral("视频加载中，请稍候…");
const QString kReconnectingText = QStringLiteral("网络不太顺畅，正在重新连接…");
const QString kNoVideoText = QStringLiteral("没有找到这节课的回放视频，请稍后重试");

QPointer<ReplayPlayPage> currentPage;
// Shared by every replay window of the run, so that each restart tries the next host.
int videoPathIndex = -1;

zov::pull::LoginInfo loginInfo()
{
    const ContextData& context = Context::instance()->data();
    return { context.replayAppId, context.replayAppKey, context.replayPsId, context.replayPsPwd,
        context.token, QString::number(context.userId) };
}

// The student's own part of the stored-position key: it stays the same across log-ins.
QString accountKey()
{
    return QString::number(Context::instance()->data().userId);
}

} // namespace

ReplayPlayPage::ReplayPlayPage(QWidget* parent, int mode)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_mode(mode)
    , titleHeight(kTitleHeight)
{
    setObjectName(QStringLiteral("ReplayPlayPage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("课堂回放"));
    setWindowIcon(QIcon(QStringLiteral("res/student.png")));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    currentPage = this;
    dataManager = new ReplayDataManager(this);
    dataManager->setSegments(
        ReplayDataManager::segmentsFromVideoTime(Context::instance()->data().replayVideoTime));
    createWidgets();
    if (m_mode == WhiteboardMode)
        createWhiteboard();
    fitIntoScreen();
}

void ReplayPlayPage::createWhiteboard()
{
    whiteboard = new MainQuickWidget(this);
    QSurfaceFormat format = whiteboard->format();
    format.setSamples(MainQuickWidget::getGLMaxSamples());
    whiteboard->setFormat(format);
    whiteboard->loadQml();
    headVideo = new VideoQuickWidget(this);
    // The recorded scenes take no input: the pointer over them is the window's, which
    // brings the control bar back and toggles full screen on a double-click.
    for (QWidget* scene : { static_cast<QWidget*>(whiteboard), static_cast<QWidget*>(headVideo) })
        scene->setAttribute(Qt::WA_TransparentForMouseEvents);
    ctrl->raise();
}

ReplayPlayPage::~ReplayPlayPage()
{
    if (loading) {
        loading->hide();
        delete loading;
    }
    if (player) {
        player->stop();
        player->logout();
        player->disconnect();
        delete player;
    }
}

ReplayPlayPage* ReplayPlayPage::current()
{
    return currentPage;
}

void ReplayPlayPage::createWidgets()
{
    title = new RoomTitleWidget(this);
    title->setTitle(Context::instance()->data().replayPlanName);
    connect(title, &RoomTitleWidget::sigMoveWindow, this, &ReplayPlayPage::onMoveWindow);
    connect(title, &RoomTitleWidget::posChanged, this, &ReplayPlayPage::onPosChanged);
    connect(title, &RoomTitleWidget::sigMinWindow, this, &ReplayPlayPage::onMinWindow);
    connect(title, &RoomTitleWidget::sigMaxWindow, this, &ReplayPlayPage::onMaxWindow);
    connect(title, &RoomTitleWidget::sigCloseWindow, this, &ReplayPlayPage::onCloseWindow);
    ctrl = new ReplayVideoCtrl(this);
}

// The preferred size, shrunk to the screen with the video kept at 16:9.
void ReplayPlayPage::fitIntoScreen()
{
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    QSize videoSize(kPreferredSize.width(), kPreferredSize.height() - kTitleHeight);
    const QSize room(available.width(), available.height() - kTitleHeight);
    if (videoSize.width() > room.width() || videoSize.height() > room.height())
        videoSize.scale(room, Qt::KeepAspectRatio);
    resize(videoSize.width(), videoSize.height() + kTitleHeight);
}

void ReplayPlayPage::showAt(const QPoint& topLeft)
{
    // The whole window, control bar included, stays on the screen it opens on.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QRect frame(topLeft, size());
    frame.moveLeft(qBound(available.left(), frame.left(), available.right() - frame.width() + 1));
    frame.moveTop(qBound(available.top(), frame.top(), available.bottom() - frame.height() + 1));
    move(frame.topLeft());
    show();
    activateWindow();
}

void ReplayPlayPage::initPlayer(float startSeconds)
{
    if (!player) {
        player = new PullStream(
            this, m_mode == WhiteboardMode ? PullStream::Output::Frames : PullStream::Output::View);
        if (QWidget* view = player->videoView()) {
            view->setMouseTracking(true);
            view->installEventFilter(this);
            view->lower();
        }
        connectPlayer();
    }
    if (!player->login(loginInfo()))
        qDebug() << "player login error.";
    m_sinceInit.start();
    lastSaveTime = 0;
    handleRePlay(startSeconds);
    updateUi();
}

void ReplayPlayPage::connectPlayer()
{
    connect(player, &PullStream::imageAvailable, this, &ReplayPlayPage::onImageAvailable);
    connect(player, &PullStream::durationChange, ctrl, &ReplayVideoCtrl::onDurationChange);
    connect(player, &PullStream::progressBarChange, this, &ReplayPlayPage::onProgressBarChange);
    connect(player, &PullStream::videoStartPlay, ctrl, &ReplayVideoCtrl::onVideoStartPlay);
    connect(player, &PullStream::videoStartPlay, this, &ReplayPlayPage::onVideoStartPlay);
    connect(player, &PullStream::videoPlayFinished, this, &ReplayPlayPage::onVideoPlayFinished);
    connect(player, &PullStream::videoPlayFinished, ctrl, &ReplayVideoCtrl::onPlayerFinished);
    connect(player, &PullStream::playerNotFluent, this, &ReplayPlayPage::onPlayerNotFluent);
    connect(ctrl, &ReplayVideoCtrl::valueChanged, this, &ReplayPlayPage::onValueChanged);
    connect(ctrl, &ReplayVideoCtrl::playStatusChanged, this, &ReplayPlayPage::onPlayStatusChanged);
    connect(ctrl, &ReplayVideoCtrl::videoRefresh, this, &ReplayPlayPage::onVideoRefresh);
    connect(ctrl, &ReplayVideoCtrl::volumeChanged, this, &ReplayPlayPage::onVolumeChanged);
    connect(ctrl, &ReplayVideoCtrl::screenChanged, this, &ReplayPlayPage::onScreenChanged);
    connect(ctrl, &ReplayVideoCtrl::speedPlay, this, &ReplayPlayPage::onSpeedChanged);
}

void ReplayPlayPage::handleRePlay(float startSeconds)
{
    m_finished = false;
    const QStringList& paths = Context::instance()->data().replayVideoPaths;
    if (paths.isEmpty())
        loadingOverlay()->showMessage(kNoVideoText);
    else
        loadingOverlay()->showLoading(kLoadingText);
    updateUi();
    m_currentPath = nextVideoPath();
    player->enableCutImage(false);
    player->enablePrint(true);
    if (startSeconds < 0)
        startSeconds = float(storedPosition());
    qDebug() << "ReplayPageManager::handlePlay" << m_currentPath;
    player->playFile(m_currentPath, int(startSeconds));
    qDebug() << "ReplayPageManager::handlePlay path:" << m_currentPath << "start:" << startSeconds
             << "arg:" << int(startSeconds);
}

QString ReplayPlayPage::nextVideoPath()
{
    const QStringList& paths = Context::instance()->data().replayVideoPaths;
    if (paths.isEmpty())
        return QString();
    videoPathIndex = (videoPathIndex + 1) % paths.size();
    return paths.at(videoPathIndex);
}

VideoLoading* ReplayPlayPage::loadingOverlay()
{
    if (!loading) {
        loading = new VideoLoading(this);
        loading->setMouseTracking(true);
        loading->installEventFilter(this);
        connect(loading, &VideoLoading::notifyReplayClicked, this, [this] { handleRePlay(0); });
        connect(loading, &VideoLoading::notifyRetryClicked, this, [this] { handleRePlay(-1); });
    }
    return loading;
}

int ReplayPlayPage::storedPosition() const
{
    if (!playRestoreEnabled())
        return 0;
    return PlayProgressStore(Context::instance()->data().replayPlanId, accountKey())
        .storedSeconds();
}

void ReplayPlayPage::savePosition(float position, int duration)
{
    const qint64 now = m_sinceInit.elapsed();
    if (lastSaveTime != 0 && now - lastSaveTime <= kSaveIntervalMs)
        return;
    // A zero would read as "never saved".
    lastSaveTime = qMax<qint64>(now, 1);
    // The setting is a file read, so it is asked at most once a save interval, not per tick.
    if (playRestoreEnabled() && float(duration) - position > kNoSaveBeforeEndSeconds)
        PlayProgressStore(Context::instance()->data().replayPlanId, accountKey()).store(position);
}

void ReplayPlayPage::onProgressBarChange(float position, int duration)
{
    if (m_mode == WhiteboardMode)
        showWhiteboardState(position);
    if (ctrl)
        ctrl->onProgressBarChange(position, duration);
    if (m_mode == WhiteboardMode)
        savePosition(position, duration);
}

// The page keeps its own width to height ratio at the scene's width; the scene scrolls to
// where the page was scrolled when the lesson was recorded.
void ReplayPlayPage::showWhiteboardState(float position)
{
    const StatusData lessonState = dataManager->getStatusData(qint64(position * 1000));
    if (!whiteboard)
        return;
    if (lessonState.width > 0) {
        const int height = whiteboard->width() * lessonState.height / lessonState.width;
        if (height != whiteboard->height())
            pageViewHeight = height;
        whiteboard->setContentSize(QSize(whiteboard->width(), height));
    }
    if (lessonState.height > 0) {
        whiteboard->setContentPos(
            0, -int(double(pageViewHeight) * lessonState.yOffset / double(lessonState.height)));
    }
    qDebug() << " pptViewW:" << whiteboard->width() << " pptViewH:" << whiteboard->height();
    dataManager->showData(lessonState, whiteboard);
}

void ReplayPlayPage::onVideoStartPlay()
{
    qDebug() << "ReplayPageManager::onVideoStartPlay" << ctrl->timeText();
    if (notFluentTimer)
        notFluentTimer->stop();
    if (loading)
        loading->hide();
    QTimer::singleShot(kSpeedReapplyDelayMs, this, [this] {
        const bool applied = player->speedPlay(speed);
        qDebug() << "onVideoRefresh:" << applied;
    });
}

void ReplayPlayPage::onPlayerNotFluent()
{
    qDebug() << "ReplayPageManager::onPlayerNotFluent";
    if (Context::instance()->data().replayVideoPaths.isEmpty()) {
        loadingOverlay()->showMessage(kNoVideoText);
        return;
    }
    loadingOverlay()->showLoading(kReconnectingText);
    updateUi();
    const int step = retryStep > kLastRetryStep ? 1 : retryStep;
    retryStep = step + 1;
    if (!notFluentTimer) {
        notFluentTimer = new QTimer(this);
        notFluentTimer->setObjectName(QStringLiteral("notFluentTimer"));
        notFluentTimer->setSingleShot(true);
        connect(notFluentTimer, &QTimer::timeout, this, &ReplayPlayPage::onPlayerCheckTimeOut);
    }
    notFluentTimer->start(step * kRetryStepMs);
}

void ReplayPlayPage::onPlayerCheckTimeOut()
{
    if (notFluentTimer)
        notFluentTimer->stop();
    handleRePlay(-1);
}

void ReplayPlayPage::onVideoPlayFinished(int duration)
{
    m_finished = true;
    if (ctrl && duration > 0)
        ctrl->onProgressBarChange(float(duration), duration);
    loadingOverlay()->showReplay();
    updateUi();
}

// After the end the file is closed: seeking or playing opens it again.
void ReplayPlayPage::onValueChanged(float value)
{
    qDebug() << "ReplayPlayPage::onValueChanged" << value;
    if (m_finished)
        handleRePlay(value);
    else
        player->skip(value);
}

void ReplayPlayPage::onPlayStatusChanged(bool playing)
{
    qDebug() << "ReplayPlayPage::onPlayStatusChanged" << playing;
    if (m_finished && playing)
        handleRePlay(0);
    else
        player->pauseOrPlay();
}

void ReplayPlayPage::onVideoRefresh(float schedule)
{
    handleRePlay(schedule);
}

void ReplayPlayPage::onVolumeChanged(float volume)
{
    player->setVolume(volume);
}

void ReplayPlayPage::onSpeedChanged(int code)
{
    speed = code;
    const bool applied = player->speedPlay(code);
    qDebug() << "speedPlay:" << applied;
}

// A frame holds the courseware on its left three quarters and the head videos on the rest.
void ReplayPlayPage::onImageAvailable(uchar* data, int width, int height)
{
    if (!whiteboard || !headVideo || width <= 0 || height <= 0)
        return;
    const int sceneWidth = whiteboard->width();
    const VideoFrameSplitter::Parts parts
        = VideoFrameSplitter::split(QImage(data, width, height, QImage::Format_RGB888),
            coursewareWidth(width), QSize(sceneWidth, sceneWidth * 3 / 4), headVideo->size());
    whiteboard->setFrame(parts.page);
    headVideo->setFrame(parts.heads);
}

void ReplayPlayPage::onDownloaderResourse(ReplayDataDownLoader::DataResource source)
{
    qDebug() << "ReplayPlayPage::onDownloaderResourse" << source.index << source.localPath;
    auto* reader = new ReadRelayData(this);
    connect(reader, &ReadRelayData::readDatas, this, &ReplayPlayPage::onReadDatas);
    reader->read(source.localPath, source.index);
}

void ReplayPlayPage::onReadDatas(QList<IrcData>& ircDatas, ReplayData& data)
{
    sender()->deleteLater();
    dataManager->addIrcDatas(ircDatas, data.index);
    dataManager->addReplayData(data);
    if (m_mode == WhiteboardMode)
        showPageMarks();
}

// Page ids are usually the page's number; others are counted in the order they turn up.
void ReplayPlayPage::showPageMarks()
{
    QVector<QPair<float, QString>> marks;
    QStringList pagesSeen;
    for (const ReplayDataManager::PageTurn& turn : dataManager->pageTurns()) {
        bool numbered = false;
        int number = turn.pageId.toInt(&numbered);
        if (!numbered || number <= 0) {
            if (!pagesSeen.contains(turn.pageId))
                pagesSeen.append(turn.pageId);
            number = pagesSeen.indexOf(turn.pageId) + 1;
        }
        marks.append({ float(turn.positionMs) / 1000.0f, QStringLiteral("第 %1 页").arg(number) });
    }
    ctrl->setMarks(marks);
}

bool ReplayPlayPage::isZoomed() const
{
    return isMaximized() || isFullScreen();
}

void ReplayPlayPage::onScreenChanged()
{
    if (isZoomed()) {
        showNormal();
        return;
    }
    // A normal window that already covers the desktop has nothing to grow into.
    if (size() != screen()->availableGeometry().size())
        showMaximized();
}

void ReplayPlayPage::onMaxWindow()
{
    onScreenChanged();
}

void ReplayPlayPage::onMinWindow()
{
    showMinimized();
}

void ReplayPlayPage::onCenterToRoomSignal(int type, QVariant var)
{
    if (type != 1)
        return;
    const bool fullScreen = var.toBool();
    ctrl->onSetFullScreenState(fullScreen);
    titleHeight = fullScreen ? 0 : kTitleHeight;
    updateUi();
}

void ReplayPlayPage::onMoveWindow(int ox, int oy)
{
    move(pos() + QPoint(ox, oy));
}

void ReplayPlayPage::onPosChanged()
{
    QTimer::singleShot(kUpdateUiDelayMs, this, &ReplayPlayPage::updateUi);
}

void ReplayPlayPage::onCloseWindow()
{
    const int answer
        = MessageBoxW::showModal(this, QString(), QStringLiteral("当前正在观看回放，是否退出?"),
            MessageBoxW::OkCancelButtons, QStringLiteral("确定"), QStringLiteral("取消"));
    if (answer != 1)
        return;
    m_closeConfirmed = true;
    emit sigClose();
    close();
}

QRect ReplayPlayPage::videoArea() const
{
    return QRect(0, titleHeight, width(), qMax(0, height() - titleHeight));
}

void ReplayPlayPage::updateUi()
{
    title->setGeometry(0, 0, width(), titleHeight);
    title->setVisible(titleHeight > 0);
    const QRect area = videoArea();
    if (player && player->videoView())
        player->videoView()->setGeometry(area);
    if (loading)
        loading->setGeometry(area);
    ctrl->setGeometry(0, height() - kControlBarHeight, width(), kControlBarHeight);
    ctrl->raise();
    if (m_mode == WhiteboardMode)
        layOutWhiteboard();
}

ReplayPlayPage::VideoBoxes ReplayPlayPage::keepRatio(const QSize& area)
{
    QSize box;
    if (area.width() * 720 > area.height() * 1280)
        box = QSize(area.height() * 1280 / 720, area.height());
    else
        box = QSize(area.width(), area.width() * 720 / 1280);
    const int x0 = (area.width() - box.width()) / 2;
    const int y0 = (area.height() - box.height()) / 2;
    const int whiteboardWidth = box.width() * 960 / 1280;
    return { QRect(QPoint(x0, y0), box), QRect(x0, y0, whiteboardWidth, box.height()),
        QRect(x0 + whiteboardWidth, y0, box.width() - whiteboardWidth, box.height()) };
}

int ReplayPlayPage::coursewareWidth(int frameWidth)
{
    return frameWidth * 96 / 128;
}

void ReplayPlayPage::layOutWhiteboard()
{
    const QRect area = videoArea();
    const VideoBoxes boxes = keepRatio(area.size());
    qDebug() << " width:" << boxes.box.width() << " size.height:" << boxes.box.height();
    if (whiteboard)
        whiteboard->setGeometry(boxes.whiteboard.translated(area.topLeft()));
    if (headVideo)
        headVideo->setGeometry(boxes.headVideo.translated(area.topLeft()));
}

void ReplayPlayPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateUi();
}

void ReplayPlayPage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        onCenterToRoomSignal(1, isZoomed());
}

void ReplayPlayPage::closeEvent(QCloseEvent* event)
{
    if (m_closeConfirmed) {
        QWidget::closeEvent(event);
        return;
    }
    // Closed from outside (the task bar, a window manager key): ask as the close button does.
    event->ignore();
    QTimer::singleShot(0, this, &ReplayPlayPage::onCloseWindow);
}

void ReplayPlayPage::keyPressEvent(QKeyEvent* event)
{
    ctrl->onUserActivity();
    switch (event->key()) {
    case Qt::Key_Space:
        ctrl->onPlayBtnClicked();
        break;
    case Qt::Key_Left:
        ctrl->seekBy(-kSeekStepSeconds);
        break;
    case Qt::Key_Right:
        ctrl->seekBy(kSeekStepSeconds);
        break;
    case Qt::Key_Up:
        ctrl->changeVolumeBy(kVolumeStep);
        break;
    case Qt::Key_Down:
        ctrl->changeVolumeBy(-kVolumeStep);
        break;
    case Qt::Key_F:
        onScreenChanged();
        break;
    case Qt::Key_Escape:
        if (isZoomed())
            showNormal();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ReplayPlayPage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (videoArea().contains(event->pos()))
        onScreenChanged();
}

void ReplayPlayPage::mouseMoveEvent(QMouseEvent* event)
{
    ctrl->onUserActivity();
    QWidget::mouseMoveEvent(event);
}

bool ReplayPlayPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        ctrl->onUserActivity();
    else if (event->type() == QEvent::MouseButtonDblClick)
        onScreenChanged();
    return QWidget::eventFilter(watched, event);
}

void ReplayPlayPage::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Qt::black);
}
