#include "replay/ReadRelayData.h"

#include "replay/GraphicsDataPackage.h"
#include "replay/ReplayRecord.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kPageChangeType = QStringLiteral("105");

qint32 readInt32(const QByteArray& bytes, qsizetype at)
{
    QDataStream stream(bytes.mid(at, 4));
    qint32 value = 0;
    stream >> value;
    return value;
}

// Numbers in page messages come as JSON numbers or as numeric text.
qint64 numberOf(const QJsonObject& message, const char* key)
{
    return message.value(QLatin1String(key)).toVariant().toLongLong();
}

} // namespace

ReadRelayData::ReadRelayData(QObject* parent)
    : QObject(parent)
{ }

void ReadRelayData::read(const QString& path, int index)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    qDebug() << "ReadRelayData::read" << path << bytes.size();
    readBytes(bytes, index);
}

void ReadRelayData::readBytes(const QByteArray& bytes, int index)
{
    QList<IrcData> ircDatas;
    ReplayData data;
    qsizetype at = 0;
    while (at + ReplayRecord::headerBytes <= bytes.size()) {
        const qint32 bodyLength = readInt32(bytes, at + 4);
        if (bodyLength < 0 || bodyLength > bytes.size() - at - ReplayRecord::headerBytes)
            break;
        // A view of the body, not a copy: bytes outlives the record's reading.
        readRecord(
            QByteArray::fromRawData(bytes.constData() + at + ReplayRecord::headerBytes, bodyLength),
            ircDatas, data);
        at += ReplayRecord::headerBytes + bodyLength;
    }
    data.index = index;
    emit readDatas(ircDatas, data);
}

void ReadRelayData::readRecord(const QByteArray& body, QList<IrcData>& ircDatas, ReplayData& data)
{
    QDataStream stream(body);
    qint64 timeStamp = 0;
    qint32 msgType = 0;
    qint32 unused = 0;
    qint32 dataLen = 0;
    stream >> timeStamp >> msgType >> unused >> dataLen;
    data.lastTimeStamp = timeStamp;
    if (msgType == ReplayRecord::WhiteboardPacket)
        readPacket(stream, timeStamp, dataLen, data);
    else if (msgType == ReplayRecord::PageMessage)
        readPageMessage(body, dataLen, ircDatas);
}

void ReadRelayData::readPacket(
    QDataStream& stream, qint64 timeStamp, qint32 dataLen, ReplayData& data)
{
    PacketContent packet;
    stream >> packet.packetLength >> packet.packetFlags >> packet.version;
    if (packet.version == 1) {
        stream >> packet.time >> packet.actionType >> packet.senderId >> packet.coursewareId
            >> packet.pageId >> packet.msgId >> packet.graphicId >> packet.content;
    }
    if (packet.packetLength != dataLen)
        return;
    WhiteboardRecord record;
    record.data = GraphicsDataPackage::instance()->decodePacketContent(packet);
    record.timeStamp = timeStamp;
    record.senderId = packet.senderId;
    if (data.teacherId.isEmpty())
        data.teacherId = packet.senderId;
    const QString key = GraphicsDataPackage::pageKey(packet.coursewareId, packet.pageId);
    data.pages[key].records().append(record);
}

void ReadRelayData::readPageMessage(
    const QByteArray& body, qint32 dataLen, QList<IrcData>& ircDatas)
{
    QByteArray text = dataLen > 0 ? body.right(dataLen) : QByteArray();
    const int end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    const QJsonObject message = QJsonDocument::fromJson(text).object();
    const QJsonValue type = message.value(QStringLiteral("type"));
    if (!type.isString() || type.toString() != kPageChangeType)
        return;
    IrcData page;
    page.type = kPageChangeType;
    page.coursewareId = message.value(QStringLiteral("coursewareId")).toVariant().toString();
    page.pageId = message.value(QStringLiteral("pageId")).toVariant().toString();
    page.height = qint32(numberOf(message, "height"));
    page.width = qint32(numberOf(message, "width"));
    page.timeStamp = numberOf(message, "timeStamp");
    page.yOffset = qint32(numberOf(message, "yOffset"));
    ircDatas.append(page);
}
