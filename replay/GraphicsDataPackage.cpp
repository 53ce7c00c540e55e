#include "replay/GraphicsDataPackage.h"

#include <QDataStream>
#include <QDebug>
#include <QMutex>
#include <QtEndian>

#include <charconv>
#include <string>

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

// Points are most of a recording, so they are taken straight from the bytes under the
// stream instead of one stream read per number; a count beyond the data ends the stream as
// reading past its end would.
QList<QPoint> readPoints(QDataStream& stream)
{
    quint32 count = 0;
    stream >> count;
    QIODevice* device = stream.device();
    const QByteArray rest = device->peek(qMin(qint64(count) * 8, device->bytesAvailable()));
    const int available = rest.size() / 8;
    QList<QPoint> points;
    points.reserve(available);
    const uchar* bytes = reinterpret_cast<const uchar*>(rest.constData());
    for (int i = 0; i < available; ++i, bytes += 8)
        points.append(QPoint(qFromBigEndian<qint32>(bytes), qFromBigEndian<qint32>(bytes + 4)));
    stream.skipRawData(available * 8);
    if (quint32(available) < count)
        stream.setStatus(QDataStream::ReadPastEnd);
    return points;
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

// Written into one buffer: a stroke's points are most of what a recording logs.
void appendNumber(std::string& line, qint64 number, char before)
{
    char digits[24];
    digits[0] = before;
    const char* end = std::to_chars(digits + 1, digits + sizeof digits, number).ptr;
    line.append(digits, size_t(end - digits));
}

void logShape(const GraphicsData& data)
{
    std::string line = "------->";
    line.reserve(64 + size_t(data.points.size()) * 16);
    for (const qint64 field : { qint64(data.shapeType), qint64(data.width), qint64(data.height),
             qint64(data.lineWidth), qint64(data.color), qint64(data.strokePhase) })
        appendNumber(line, field, ' ');
    for (const QPoint& point : data.points) {
        appendNumber(line, point.x(), ' ');
        appendNumber(line, point.y(), ',');
    }
    qDebug("%s", line.c_str());
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
    // A recording holds hundreds of thousands of packets: these lines are formatted the cheap
    // way, without a QDebug stream each.
    qDebug("msg id is-----> %d", packet.msgId);
    qDebug("courseware id is ----> %s", packet.coursewareId.constData());
    qDebug("page id is ----> %s", packet.pageId.constData());

    const QString key = pageKey(packet.coursewareId, packet.pageId);
    QHash<QString, qint32>& msgIds
        = packet.senderId == m_localUserId ? m_localMsgIds : m_otherMsgIds;
    const auto highest = msgIds.find(key);
    if (highest == msgIds.end())
        msgIds.insert(key, packet.msgId);
    else if (packet.msgId > *highest)
        *highest = packet.msgId;
    qDebug("actionType %d", packet.actionType);

    if (packet.content.isEmpty())
        return data;
    QDataStream stream(packet.content);
    if (packet.actionType == GraphicsData::Delete) {
        data.ids = readIds(stream);
    } else if (carriesShape(packet.actionType)) {
        readShape(stream, data);
        logShape(data);
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
