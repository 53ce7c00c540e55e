#pragma once

#include "replay/GraphicsData.h"
#include "replay/GraphicsDataInterface.h"
#include "replay/PacketContent.h"

#include <QHash>
#include <QString>

// Turns whiteboard packets into drawing actions and back, and keeps, per courseware
// page, the highest packet number seen from the local user and from everybody else.
// One instance serves the whole process.
class GraphicsDataPackage : public GraphicsDataInterface
{
    Q_OBJECT
public:
    static GraphicsDataPackage* instance();

    GraphicsData decodePacketContent(const PacketContent& packet);
    PacketContent encodePacketContent(const GraphicsData& data);

    // Empty in the replay, where nobody local draws.
    void setLocalUserId(const QByteArray& userId) { m_localUserId = userId; }
    // The highest packet number seen for a page key; -1 when none.
    int highestMsgId(const QString& pageKey, bool fromLocalUser) const;
    static QString pageKey(const QByteArray& coursewareId, const QByteArray& pageId);

signals:
    void sendOriginalData(GraphicsData data);
    void sendPacketData(PacketContent data);

private:
    GraphicsDataPackage() = default;

    QByteArray m_localUserId;
    QHash<QString, qint32> m_localMsgIds;
    QHash<QString, qint32> m_otherMsgIds;
};
