#pragma once

#include <QImage>
#include <QQuickItem>

// Shows video frames in a QML scene, fitted into the item with their aspect kept.
class VideoImageItem : public QQuickItem
{
    Q_OBJECT
public:
    explicit VideoImageItem(QQuickItem* parent = nullptr);

    void setImage(const QImage& image);
    QImage image() const { return m_frame; }

protected:
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;

private:
    QImage m_frame;
};
