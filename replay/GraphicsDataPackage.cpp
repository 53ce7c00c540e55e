#include "replay/GraphicsDataPackage.h"

#include <QDataStream>
#include <QDebug>
#include <QMutex>

namespace {

// Counts come from the recording: elements are read until the count or the data ends,
// never reserved up front.
template<typename Element, typename ReadOne>
QList<Element> readList(QDataStream& stream, ReadOne readOne)
{
    quint32 count = 0;
    stream >> count;
    QList<Element> list;
    for (quint32 i = 0; i < count; ++i) {
        const Element element = readOne(stream);
        if (stream.status() != QDataStream::Ok)
            break;
        list.append(element);
    }
    return list;
}

QList<qint32> readIds(QDataStream& stream)
{
    return readList<qint32>(stream, [](QDataStream& in) {
        qint32 id = 0;
        in >> id;
        return id;
    });
}

QList<QPoint> readPoints(QDataStream& stream)
{
    return readList<QPoint>(stream, [](QDataStream& in) {
        qint32 x = 0;
        qint32 y = 0;
        in >> x >> y;
        return QPoint(x, y);
    });
}

void readShape(QDataStream& stream, GraphicsData& data)
{
    stream >> data.shapeType >> data.width >> data.height >> data.lineWidth >> data.aux
        >> data.color >> data.strokePhase;
    data.points = readPoints(stream);
    if (data.shapeType == GraphicsData::Text)
        stream >> data.text >> data.fontSize >> data.contentY;
}

void writeShape(QDataStream& stream, const GraphicsData& data)
{
    stream << data.shapeType << data.width << data.height << data.lineWidth << data.aux
           << data.color << data.strokePhase << quint32(data.points.size());
    for (const QPoint& point : data.points)
        stream << qint32(point.x()) << qint32(point.y());
    if (data.shapeType == GraphicsData::Text)
        stream << data.text << data.fontSize << data.contentY;
}

bool carriesShape(qint16 action)
{
    return action == GraphicsData::Update || action == GraphicsData::Add;
}

} // namespace

GraphicsDataPackage* GraphicsDataPackage::instance()
{
    static QMutex mutex;
    static GraphicsDataPackage* package = nullptr;
    QMutexLocker lock(&mutex);
    if (!package) {
        qRegisterMetaType<GraphicsData>("GraphicsData");
        qRegisterMetaType<PacketContent>("PacketContent");
        package = new GraphicsDataPackage;
    }
    return package;
}

QString GraphicsDataPackage::pageKey(const QByteArray& coursewareId, const QByteArray& pageId)
{
    return QString::fromUtf8(coursewareId) + QLatin1Char('_') + QString::fromUtf8(pageId);
}

int GraphicsDataPackage::highestMsgId(const QString& pageKey, bool fromLocalUser) const
{
    return (fromLocalUser ? m_localMsgIds : m_otherMsgIds).value(pageKey, -1);
}

GraphicsData GraphicsDataPackage::decodePacketContent(const PacketContent& packet)
{
    GraphicsData data;
    data.actionType = packet.actionType;
    data.coursewareId = packet.coursewareId;
    data.pageId = packet.pageId;
    data.graphicId = packet.graphicId;
    qDebug() << "msg id is----->" << packet.msgId;
    qDebug() << "courseware id is ---->" << packet.coursewareId;
    qDebug() << "page id is ---->" << packet.pageId;

    const QString key = pageKey(packet.coursewareId, packet.pageId);
    QHash<QString, qint32>& msgIds
        = packet.senderId == m_localUserId ? m_localMsgIds : m_otherMsgIds;
    if (!msgIds.contains(key) || packet.msgId > msgIds.value(key))
        msgIds.insert(key, packet.msgId);
    qDebug() << "actionType" << packet.actionType;

    if (packet.content.isEmpty())
        return data;
    QDataStream stream(packet.content);
    if (packet.actionType == GraphicsData::Delete) {
        data.ids = readIds(stream);
    } else if (carriesShape(packet.actionType)) {
        readShape(stream, data);
        qDebug() << "------->" << data.shapeType << data.width << data.height << data.lineWidth
                 << data.color << data.strokePhase << data.points;
    }
    return data;
}

PacketContent GraphicsDataPackage::encodePacketContent(const GraphicsData& data)
{
    PacketContent packet;
    packet.actionType = data.actionType;
    packet.coursewareId = data.coursewareId;
    packet.pageId = data.pageId;
    const QString key = pageKey(data.coursewareId, data.pageId);
    packet.msgId = m_localMsgIds.value(key, 0) + 1;
    m_localMsgIds.insert(key, packet.msgId);
    packet.senderId = m_localUserId;
    packet.graphicId = data.graphicId;

    QDataStream stream(&packet.content, QIODevice::WriteOnly);
    if (data.actionType == GraphicsData::Delete) {
        stream << quint32(data.ids.size());
        for (const qint32 id : data.ids)
            stream << id;
    } else if (carriesShape(data.actionType)) {
        writeShape(stream, data);
    }
    qDebug() << "----->" << data.actionType << data.coursewareId << data.pageId << data.graphicId
             << packet.content.size();
    return packet;
}
