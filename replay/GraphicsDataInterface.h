#pragma once

#include <QByteArray>
#include <QObject>

// What a whiteboard packet codec offers the classroom it works for.
class GraphicsDataInterface : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void sendEncodeDataToExternal(QByteArray data);
};
