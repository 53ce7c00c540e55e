#include "replay/VideoQuickWidget.h"

#include "replay/VideoImageItem.h"

#include <QQuickItem>
#include <QTimer>

namespace {

constexpr int kFindItemDelayMs = 20;

} // namespace

VideoQuickWidget::VideoQuickWidget(QWidget* parent)
    : QQuickWidget(parent)
{
    Q_INIT_RESOURCE(whiteboard_scene);
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    setClearColor(Qt::black);
    setSource(QUrl(QStringLiteral("qrc:/qml/HeadVideoPage.qml")));
    QTimer::singleShot(kFindItemDelayMs, this, &VideoQuickWidget::onDelay);
}

void VideoQuickWidget::onItemCompleted(QVariant*)
{
    onDelay();
}

void VideoQuickWidget::onDelay()
{
    QQuickItem* root = rootObject();
    if (!root)
        return;
    root->setSize(size());
    m_video = root->findChild<VideoImageItem*>(QStringLiteral("video"));
}

void VideoQuickWidget::setFrame(const QImage& frame)
{
    if (m_video)
        m_video->setImage(frame);
}
