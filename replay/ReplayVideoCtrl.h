#pragma once

#include <QPair>
#include <QVector>
#include <QWidget>

class QAction;
class QLabel;
class QTimer;
class QToolButton;
class VideoPrograssBar;
class Volume;

// The control bar over the bottom of the replay: play and pause, progress and seeking,
// time, speed, volume, refresh and full screen. It hides itself when the mouse rests.
class ReplayVideoCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit ReplayVideoCtrl(QWidget* parent = nullptr);

    // "mm:ss" under an hour, "hh:mm:ss" from an hour on.
    static QString formatTime(int seconds);

    bool isPlaying() const { return playing; }
    float currentPosition() const { return current; }
    int videoDuration() const { return duration; }
    QString timeText() const;
    float volume() const;
    // Named places of the video, at a number of seconds each; shown once the duration is known.
    void setMarks(const QVector<QPair<float, QString>>& marks);

    // Keyboard control: seek by a number of seconds from here, change the volume by a
    // step (both clamped), and show the bar again after a pointer or key was used.
    void seekBy(float seconds);
    void changeVolumeBy(float step);
    void onUserActivity();

signals:
    void valueChanged(float value);
    void playStatusChanged(bool is);
    void videoRefresh(float schedule);
    void volumeChanged(float volume);
    void screenChanged();
    void speedPlay(int vol);

public slots:
    void onDurationChange(int seconds);
    void onVideoStartPlay();
    void onPlayerFinished();
    void onProgressBarChange(float position, int durationSeconds);
    void onVolumeValueChanged(float value);
    void onSetFullScreenState(bool state);
    void onCheckHide();
    // The progress bar's fraction, turned into seconds.
    void onValueChanged(float value);
    void onPlayBtnClicked();
    void onRefreshClicked();
    void onVolumeClicked();
    void onZoomClicked();
    void onShowTooltip(QString text, QPoint pos, bool show);
    void onShowValueTooltip(float value, QPoint pos, bool show);
    void onSpeedPlayClicked(QAction* action);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* iconButton(const QString& name, const QString& icon);
    QToolButton* createSpeedButton();
    void seekTo(float seconds);
    void setPlaying(bool isPlaying);
    void updateBarMarks();

    int duration = 0;
    float current = 0;
    bool playing = true;
    int idleChecks = 0;
    QVector<QPair<float, QString>> m_marks;
    VideoPrograssBar* m_progress;
    QLabel* m_time;
    QToolButton* m_playButton;
    QToolButton* m_volumeButton;
    QToolButton* m_zoomButton;
    Volume* m_volume;
    QTimer* m_hideTimer;
};
