#include "replay/ReplayDataManager.h"

#include "replay/MainQuickWidget.h"

#include <QDebug>
#include <QJsonObject>

#include <algorithm>
#include <limits>

ReplayDataManager::ReplayDataManager(QObject* parent)
    : QObject(parent)
{ }

QList<VideoSegment> ReplayDataManager::segmentsFromVideoTime(const QJsonArray& videoTime)
{
    QList<VideoSegment> list;
    for (const QJsonValue& entry : videoTime) {
        const QJsonObject times = entry.toObject();
        VideoSegment segment;
        segment.startTime = times.value(QStringLiteral("startTime")).toVariant().toLongLong();
        segment.endTime = times.value(QStringLiteral("endTime")).toVariant().toLongLong();
        segment.duration = segment.endTime - segment.startTime;
        list.append(segment);
    }
    return list;
}

void ReplayDataManager::addIrcDatas(QList<IrcData>& ircDatas, int index)
{
    const auto later = std::find_if(ircDataLists.begin(), ircDataLists.end(),
        [index](const IrcDataList& list) { return list.index > index; });
    ircDataLists.insert(later, { ircDatas, index });
    rebuildPageIndex();
}

void ReplayDataManager::addReplayData(ReplayData& data)
{
    if (teacherId.isEmpty())
        teacherId = QString::fromUtf8(data.teacherId);
    const auto smaller = std::find_if(replayDatas.begin(), replayDatas.end(),
        [&data](const ReplayData& file) { return file.index < data.index; });
    replayDatas.insert(smaller, data);
}

void ReplayDataManager::setSegments(const QList<VideoSegment>& list)
{
    segments = list;
}

void ReplayDataManager::rebuildPageIndex()
{
    m_pageChanges.clear();
    m_latestUpTo.clear();
    qint64 latest = std::numeric_limits<qint64>::min();
    for (const IrcDataList& list : qAsConst(ircDataLists)) {
        for (const IrcData& page : list.datas) {
            latest = qMax(latest, page.timeStamp);
            m_pageChanges.append(page);
            m_latestUpTo.append(latest);
        }
    }
}

StatusData ReplayDataManager::getStatusData(qint64 positionMs) const
{
    if (replayDatas.isEmpty())
        return StatusData();
    const qint64 lessonTime = lessonTimeAt(positionMs);
    StatusData state = getPageNameByTimeStamp(lessonTime);
    state.time = lessonTime;
    return state;
}

qint64 ReplayDataManager::lessonTimeAt(qint64 positionMs) const
{
    if (segments.isEmpty())
        return 0;
    qint64 rest = positionMs;
    for (const VideoSegment& segment : segments) {
        if (rest < segment.duration)
            return segment.startTime + rest;
        rest -= segment.duration;
    }
    return segments.last().endTime;
}

StatusData ReplayDataManager::getPageNameByTimeStamp(qint64 time) const
{
    StatusData state;
    // The first change at or after time ends the walk: it is the first whose running
    // latest time reaches time.
    const int stop = int(
        std::lower_bound(m_latestUpTo.begin(), m_latestUpTo.end(), time) - m_latestUpTo.begin());
    if (stop > 0) {
        const IrcData& page = m_pageChanges.at(stop - 1);
        state.pageName = page.coursewareId + QLatin1Char('_') + page.pageId;
        state.yOffset = page.yOffset;
        state.width = page.width;
        state.height = page.height;
    }
    if (stop == m_pageChanges.size())
        qDebug() << "ReplayDataManager::getPageNameByTimeStamp" << state.pageName << state.yOffset;
    return state;
}

void ReplayDataManager::showData(const StatusData& data, MainQuickWidget* scene)
{
    qDebug() << " teaId:" << teacherId;
    const qint64 time = data.time;
    if (data.pageName != lastPageName || time < lastShowTime) {
        lastShowTime = 0;
        scene->clear();
    }
    lastPageName = data.pageName;
    for (const ReplayData& file : qAsConst(replayDatas)) {
        const auto page = file.pages.constFind(data.pageName);
        if (page == file.pages.cend())
            continue;
        for (const WhiteboardRecord& record : page->records()) {
            if (record.timeStamp > time)
                break;
            if (record.timeStamp <= lastShowTime)
                continue;
            const int role = QString::fromUtf8(record.senderId) == teacherId ? 0 : 1;
            scene->onExternalGraphicData(role, record.data, true);
        }
    }
    lastShowTime = time;
}
