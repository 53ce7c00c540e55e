#pragma once

#include "replay/IrcData.h"
#include "replay/ReplayData.h"
#include "replay/ReplayDataDownLoader.h"

#include <QElapsedTimer>
#include <QRect>
#include <QVariant>
#include <QWidget>

class MainQuickWidget;
class QTimer;
class ReplayDataManager;
class VideoQuickWidget;
class ReplayVideoCtrl;
class RoomTitleWidget;
class VideoLoading;

namespace zov {
namespace pull {
class PullStream;
}
} // namespace zov

// The window a recorded lesson is watched in: the stream player's video under a title
// bar of its own, with a control bar over its bottom and a loading overlay while the
// video starts, recovers from a stall or has ended. Mode 1 plays the video alone;
// mode 2 takes the video's frames for the whiteboard scene instead. Deleted when closed.
class ReplayPlayPage : public QWidget
{
    Q_OBJECT
public:
    enum Mode
    {
        VideoMode = 1,
        WhiteboardMode = 2
    };

    // The 16:9 picture fitted into the video area, and its split into the courseware
    // part and the head videos beside it.
    struct VideoBoxes
    {
        QRect box;
        QRect whiteboard;
        QRect headVideo;
    };

    ReplayPlayPage(QWidget* parent, int mode);
    ~ReplayPlayPage() override;

    // The replay window open now, if any.
    static ReplayPlayPage* current();
    static VideoBoxes keepRatio(const QSize& area);
    // Columns of a frame that hold the courseware; the rest are the head videos.
    static int coursewareWidth(int frameWidth);

    // Plays from startSeconds; from where the student left the lesson when it is negative.
    void initPlayer(float startSeconds = -1);
    // Shows the window at topLeft, moved as far as needed to be whole on the screen.
    void showAt(const QPoint& topLeft);
    int mode() const { return m_mode; }
    ReplayVideoCtrl* controlBar() const { return ctrl; }
    zov::pull::PullStream* streamPlayer() const { return player; }
    ReplayDataManager* replayDataManager() const { return dataManager; }
    // The whiteboard scene and the head videos, in whiteboard mode only.
    MainQuickWidget* whiteboardScene() const { return whiteboard; }
    VideoQuickWidget* headVideoScene() const { return headVideo; }
    // The video address the last (re)start used.
    QString currentVideoPath() const { return m_currentPath; }

signals:
    void sigClose();

public slots:
    void onDownloaderResourse(ReplayDataDownLoader::DataResource source);
    void onReadDatas(QList<IrcData>& ircDatas, ReplayData& data);
    void onCenterToRoomSignal(int type, QVariant var);
    void onMoveWindow(int ox, int oy);
    void onPosChanged();
    void onCloseWindow();
    void onMinWindow();
    void onMaxWindow();
    void updateUi();
    void onImageAvailable(uchar* data, int width, int height);
    void onValueChanged(float value);
    void onPlayStatusChanged(bool playing);
    void onVideoStartPlay();
    void onVideoRefresh(float schedule);
    void onVolumeChanged(float volume);
    void onScreenChanged();
    void onProgressBarChange(float position, int duration);
    void onPlayerNotFluent();
    void onPlayerCheckTimeOut();
    void onVideoPlayFinished(int duration);
    void onSpeedChanged(int code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createWidgets();
    void fitIntoScreen();
    void connectPlayer();
    void handleRePlay(float startSeconds);
    QString nextVideoPath();
    VideoLoading* loadingOverlay();
    int storedPosition() const;
    void savePosition(float position, int duration);
    void createWhiteboard();
    void layOutWhiteboard();
    void showWhiteboardState(float position);
    QRect videoArea() const;
    bool isZoomed() const;
    void showPageMarks();

    int m_mode;
    zov::pull::PullStream* player = nullptr;
    ReplayDataManager* dataManager = nullptr;
    MainQuickWidget* whiteboard = nullptr;
    VideoQuickWidget* headVideo = nullptr;
    int pageViewHeight = 0;
    ReplayVideoCtrl* ctrl = nullptr;
    RoomTitleWidget* title = nullptr;
    VideoLoading* loading = nullptr;
    QTimer* notFluentTimer = nullptr;
    int speed = 10;
    int retryStep = 1;
    int titleHeight;
    QElapsedTimer m_sinceInit;
    qint64 lastSaveTime = 0;
    bool m_finished = false;
    bool m_closeConfirmed = false;
    QString m_currentPath;
};
