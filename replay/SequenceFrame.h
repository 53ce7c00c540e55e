#pragma once

#include <QPixmap>
#include <QVector>
#include <QWidget>

class QTimer;

// A frame-by-frame animation from numbered PNG files, painted scaled to the widget.
class SequenceFrame : public QWidget
{
    Q_OBJECT
public:
    enum LoopMode
    {
        Loop = 0,
        PlayOnce = 1
    };

    explicit SequenceFrame(QWidget* parent = nullptr);

    // Loads dir/<prefix>1.png, dir/<prefix>2.png, ... for as many PNG files as dir
    // holds; stops and hides the animation first.
    void load(const QString& dir, const QString& prefix);
    // PlayOnce hides the widget after the last frame; any other mode loops.
    void start(int mode);
    int frameCount() const { return m_frames.size(); }
    int currentIndex() const { return m_index; }

public slots:
    void onTimeOut();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<QPixmap> m_frames;
    int m_index = 0;
    int m_mode = Loop;
    QTimer* m_timer = nullptr;
};
