#pragma once

#include "core/LoginInfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

#include <atomic>

struct mpv_handle;
struct mpv_event;
class QWidget;

namespace zov {
namespace pull {

class MpvFrameRenderer;
class MpvVideoView;

// The lesson-replay stream player, on libmpv. It plays one http(s) URL or local file
// at a time and reports start, progress, stalls and the end through its signals, always
// on the GUI thread. The picture either goes to a view inside the parent window
// (Output::View, the default) or out as RGB888 images through imageAvailable
// (Output::Frames) for callers that draw it themselves.
class PullStream : public QObject
{
    Q_OBJECT
public:
    enum class Output
    {
        View,
        Frames
    };

    explicit PullStream(QWidget* parent, Output output = Output::View);
    ~PullStream() override;

    // True when the app id and key are both given.
    bool login(const LoginInfo& info);
    void logout();

    // Opens path (an http(s) URL or a local file) and plays it from startSeconds; any
    // other address is not opened and reported as not fluent.
    void playFile(const QString& path, int startSeconds);
    // Frames follow the output chosen at construction; the flag is kept for callers
    // of the original interface and only logged.
    void enableCutImage(bool enable);
    // Copies the player's own warnings into the program log.
    void enablePrint(bool enable);
    void pauseOrPlay();
    // An absolute seek, in seconds from the start.
    void skip(float seconds);
    // Codes 6, 10, 15 and 20 are 0.8, 1, 1.25 and 1.5 times the normal speed; any
    // other code changes nothing and gives false.
    bool speedPlay(int code);
    // 0 (silent) to 1 (full).
    void setVolume(float volume);
    void stop();

    // The view that shows the picture with Output::View (null otherwise); its parent is
    // the player's parent window, which places it.
    QWidget* videoView() const;

signals:
    void imageAvailable(uchar* data, int width, int height);
    void durationChange(int seconds);
    void progressBarChange(float positionSeconds, int durationSeconds);
    void videoStartPlay();
    void videoPlayFinished(int durationSeconds);
    void playerNotFluent();

private:
    void configure();
    void observeProperties();
    static void onWakeup(void* player);
    void handleEvents();
    void handleEvent(const mpv_event& event);
    void handlePropertyChange(const mpv_event& event);
    void handleEndFile(const mpv_event& event);
    void onPlaybackRestart();
    void load(const QString& path, int startSeconds);
    void loadPendingFile();
    void emitProgress();
    void onBufferingChanged(bool buffering);
    void reportNotFluent();
    void setPropertyAsync(const char* name, double value);

    mpv_handle* m_mpv = nullptr;
    std::atomic<bool> m_eventsQueued { false };
    QPointer<MpvVideoView> m_view;
    MpvFrameRenderer* m_frames = nullptr;
    LoginInfo m_login;

    // A file asked for before the view could present anything.
    QString m_pendingPath;
    int m_pendingStart = -1;
    // Files handed to mpv that it has not begun yet: events of older files are stale.
    int m_loadsUnderway = 0;
    qint64 m_currentEntry = -1;

    QSize m_videoSize;
    double m_duration = 0;
    double m_position = 0;
    bool m_waitingForStart = false;
    bool m_paused = false;
    bool m_notFluentReported = false;
    QTimer m_progressTimer;
    QTimer m_bufferingTimer;
    QTimer m_openTimer;
};

} // namespace pull
} // namespace zov
