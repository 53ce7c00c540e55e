#pragma once

#include <QImage>
#include <QQuickWidget>

class VideoImageItem;

// The head videos beside the whiteboard, in a small QML scene of their own.
class VideoQuickWidget : public QQuickWidget
{
    Q_OBJECT
public:
    explicit VideoQuickWidget(QWidget* parent);

    void setFrame(const QImage& frame);
    VideoImageItem* videoItem() const { return m_video; }

public slots:
    void onItemCompleted(QVariant* obj);
    void onDelay();

private:
    VideoImageItem* m_video = nullptr;
};
