#include "replay/VideoImageItem.h"

#include <QQuickWindow>
#include <QSGSimpleTextureNode>

VideoImageItem::VideoImageItem(QQuickItem* parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void VideoImageItem::setImage(const QImage& image)
{
    m_frame = image;
    update();
}

QSGNode* VideoImageItem::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    if (m_frame.isNull() || width() <= 0 || height() <= 0) {
        delete oldNode;
        return nullptr;
    }
    auto* node = static_cast<QSGSimpleTextureNode*>(oldNode);
    if (!node) {
        node = new QSGSimpleTextureNode;
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
    }
    node->setTexture(window()->createTextureFromImage(m_frame));
    // The side that runs out first fills the item; the other is centred.
    QSizeF fitted(width(), height());
    if (m_frame.width() * height() <= m_frame.height() * width())
        fitted.setWidth(height() * m_frame.width() / m_frame.height());
    else
        fitted.setHeight(width() * m_frame.height() / m_frame.width());
    node->setRect(
        QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted));
    node->setSourceRect(QRectF(QPointF(0, 0), m_frame.size()));
    return node;
}
