#pragma once

#include "replay/GraphicsData.h"

#include <QHash>
#include <QPointer>
#include <QQuickItem>

// The whiteboard scene's shape layer as QML sees it: it creates the shape items through
// the scene's JavaScript functions and keeps them by item id.
class MainHelper : public QQuickItem
{
    Q_OBJECT
public:
    explicit MainHelper(QQuickItem* parent = nullptr);

    // Draws one action; its points are already in scene pixels.
    void insert(const GraphicsData& data);
    void clear();
    int itemCount() const { return m_items.size(); }
    QObject* item(int id) const { return m_items.value(id); }

public slots:
    void loadCompleted();
    int getWidth();
    int getHeight();
    void insertFinished(QObject* item);

private:
    void remove(const QList<qint32>& ids);
    void createItem(const GraphicsData& data, const QString& colour);
    void updateItem(QObject* item, const GraphicsData& data, const QString& colour);

    QHash<int, QPointer<QObject>> m_items;
};
