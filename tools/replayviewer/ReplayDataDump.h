#pragma once

#include "replay/IrcData.h"
#include "replay/ReplayData.h"

#include <QJsonObject>
#include <QList>
#include <QString>

// What a replay data file holds, as one JSON object for the people who look into a
// student's replay: its page changes and how many whiteboard records each page has.
class ReplayDataDump
{
public:
    // Reads path as the file at position index of a replay's list; opened says whether
    // the file could be read at all (one that cannot reads as empty).
    static QJsonObject describe(const QString& path, int index, bool& opened);

private:
    static QJsonObject toJson(
        const QString& path, const QList<IrcData>& pages, const ReplayData& data);
};
