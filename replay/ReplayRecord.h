#pragma once

#include "replay/IrcData.h"
#include "replay/PacketContent.h"

#include <QByteArray>
#include <QtGlobal>

// The records of a replay data file as the classroom writes them, and as ReadRelayData reads
// them back: 4 bytes nobody reads, the body's length, then the body with its lesson time,
// its kind and its message.
class ReplayRecord
{
public:
    enum MessageType : qint32
    {
        PageMessage = 10,
        WhiteboardPacket = 11,
    };

    static constexpr int headerBytes = 8;

    // A page change, its message the JSON the classroom sends (type "105").
    static QByteArray pageChange(const IrcData& page);
    // A whiteboard packet, its length first and counting itself.
    static QByteArray packet(qint64 timeStamp, const PacketContent& packet);

private:
    static QByteArray record(qint64 timeStamp, MessageType type, const QByteArray& message);
};
