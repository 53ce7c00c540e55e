#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QtGlobal>

// One whiteboard packet as it travels between the lesson's participants: who sent it,
// for which courseware page, and the encoded drawing action in content.
struct PacketContent
{
    qint32 packetLength = 0;
    qint32 packetFlags = 0;
    // The fields after it are only present in version 1.
    qint16 version = 1;
    qint64 time = 0;
    qint16 actionType = 0;
    QByteArray senderId;
    QByteArray coursewareId;
    QByteArray pageId;
    // The sender's running number of packets for this page.
    qint32 msgId = 0;
    qint32 graphicId = 0;
    QByteArray content;
};

Q_DECLARE_METATYPE(PacketContent)
