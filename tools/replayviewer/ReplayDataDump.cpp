#include "tools/replayviewer/ReplayDataDump.h"

#include "replay/ReadRelayData.h"

#include <QFileInfo>
#include <QJsonArray>

QJsonObject ReplayDataDump::describe(const QString& path, int index, bool& opened)
{
    const QFileInfo file(path);
    opened = file.isFile() && file.isReadable();
    QJsonObject description;
    ReadRelayData reader(nullptr);
    QObject::connect(&reader, &ReadRelayData::readDatas,
        [&](QList<IrcData>& pages, ReplayData& data) { description = toJson(path, pages, data); });
    reader.read(path, index);
    return description;
}

QJsonObject ReplayDataDump::toJson(
    const QString& path, const QList<IrcData>& pages, const ReplayData& data)
{
    QJsonObject recordsPerPage;
    for (auto page = data.pages.cbegin(); page != data.pages.cend(); ++page)
        recordsPerPage.insert(page.key(), page.value().records().size());
    QJsonArray pageChanges;
    for (const IrcData& page : pages) {
        pageChanges.append(QJsonObject { { QStringLiteral("coursewareId"), page.coursewareId },
            { QStringLiteral("pageId"), page.pageId },
            { QStringLiteral("timeStamp"), double(page.timeStamp) },
            { QStringLiteral("yOffset"), page.yOffset }, { QStringLiteral("width"), page.width },
            { QStringLiteral("height"), page.height } });
    }
    return { { QStringLiteral("file"), path }, { QStringLiteral("index"), data.index },
        { QStringLiteral("lastTimeStamp"), double(data.lastTimeStamp) },
        { QStringLiteral("teacherId"), QString::fromUtf8(data.teacherId) },
        { QStringLiteral("pages"), recordsPerPage }, { QStringLiteral("irc"), pageChanges } };
}
