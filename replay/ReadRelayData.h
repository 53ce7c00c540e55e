#pragma once

#include "replay/IrcData.h"
#include "replay/ReplayData.h"

#include <QByteArray>
#include <QList>
#include <QObject>

class QDataStream;

// Reads one replay data file: its page changes and its whiteboard records by page.
// Damaged records are skipped one by one; nothing is read past the end of the file,
// whatever its lengths say.
class ReadRelayData : public QObject
{
    Q_OBJECT
public:
    explicit ReadRelayData(QObject* parent);

    // A file that cannot be opened reads as an empty one. Ends with readDatas.
    void read(const QString& path, int index);
    void readBytes(const QByteArray& bytes, int index);

signals:
    void readDatas(QList<IrcData>& ircDatas, ReplayData& data);

private:
    void readRecord(const QByteArray& body, QList<IrcData>& ircDatas, ReplayData& data);
    void readPacket(QDataStream& stream, qint64 timeStamp, qint32 dataLen, ReplayData& data);
    static void readPageMessage(const QByteArray& body, qint32 dataLen, QList<IrcData>& ircDatas);
};
