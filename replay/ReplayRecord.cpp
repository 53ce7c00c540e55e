#include "replay/ReplayRecord.h"

#include <QDataStream>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// QDataStream would write a null QByteArray's length as 0xFFFFFFFF.
void writeBytes(QDataStream& out, const QByteArray& bytes)
{
    out << quint32(bytes.size());
    out.writeRawData(bytes.constData(), bytes.size());
}

} // namespace

QByteArray ReplayRecord::pageChange(const IrcData& page)
{
    const QJsonObject message { { QStringLiteral("type"), QStringLiteral("105") },
        { QStringLiteral("coursewareId"), page.coursewareId },
        { QStringLiteral("pageId"), page.pageId }, { QStringLiteral("width"), page.width },
        { QStringLiteral("height"), page.height }, { QStringLiteral("timeStamp"), page.timeStamp },
        { QStringLiteral("yOffset"), page.yOffset } };
    return record(
        page.timeStamp, PageMessage, QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QByteArray ReplayRecord::packet(qint64 timeStamp, const PacketContent& packet)
{
    QByteArray fields;
    QDataStream out(&fields, QIODevice::WriteOnly);
    out << packet.packetFlags << packet.version << packet.time << packet.actionType;
    writeBytes(out, packet.senderId);
    writeBytes(out, packet.coursewareId);
    writeBytes(out, packet.pageId);
    out << packet.msgId << packet.graphicId;
    writeBytes(out, packet.content);
    QByteArray bytes;
    QDataStream(&bytes, QIODevice::WriteOnly) << qint32(fields.size() + qint32(sizeof(qint32)));
    return record(timeStamp, WhiteboardPacket, bytes + fields);
}

QByteArray ReplayRecord::record(qint64 timeStamp, MessageType type, const QByteArray& message)
{
    QByteArray body;
    QDataStream bodyOut(&body, QIODevice::WriteOnly);
    bodyOut << timeStamp << qint32(type) << qint32(0);
    writeBytes(bodyOut, message);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(0);
    writeBytes(out, body);
    return bytes;
}
