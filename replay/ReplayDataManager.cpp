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
    const int position = int(smaller - replayDatas.begin());
    replayDatas.insert(position, data);
    m_recordTimes.insert(position, recordTimeIndexOf(data));
}

ReplayDataManager::RecordTimeIndex ReplayDataManager::recordTimeIndexOf(const ReplayData& data)
{
    RecordTimeIndex index;
    for (auto page = data.pages.cbegin(); page != data.pages.cend(); ++page) {
        QVector<qint64>& latestUpTo = index[page.key()];
        latestUpTo.reserve(page->records().size());
        qint64 latest = std::numeric_limits<qint64>::min();
        for (const WhiteboardRecord& record : page->records()) {
            latest = qMax(latest, record.timeStamp);
            latestUpTo.append(latest);
        }
    }
    return index;
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

qint64 ReplayDataManager::videoPositionAt(qint64 lessonTime) const
{
    qint64 before = 0;
    for (const VideoSegment& segment : segments) {
        if (lessonTime >= segment.startTime && lessonTime < segment.endTime)
            return before + lessonTime - segment.startTime;
        before += segment.duration;
    }
    return -1;
}

QVector<ReplayDataManager::PageTurn> ReplayDataManager::pageTurns() const
{
    QVector<IrcData> changes = m_pageChanges;
    std::stable_sort(changes.begin(), changes.end(),
        [](const IrcData& a, const IrcData& b) { return a.timeStamp < b.timeStamp; });
    QVector<PageTurn> turns;
    QString shownPage;
    for (const IrcData& change : qAsConst(changes)) {
        const QString page = change.coursewareId + QLatin1Char('_') + change.pageId;
        const qint64 position = videoPositionAt(change.timeStamp);
        if (page == shownPage || position < 0)
            continue;
        shownPage = page;
        turns.append({ position, change.pageId });
    }
    return turns;
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
    for (int file = 0; file < replayDatas.size(); ++file) {
        const auto page = replayDatas.at(file).pages.constFind(data.pageName);
        if (page != replayDatas.at(file).pages.cend())
            drawPageRecords(*page, m_recordTimes.at(file).value(data.pageName), time, scene);
    }
    lastShowTime = time;
}

// Walking the page's records in file order, the first one later than time ends the walk and
// those later than lastShowTime are drawn. Everything before the first record later than
// lastShowTime is at or before it, so the walk can start there.
void ReplayDataManager::drawPageRecords(const ReplayPageRecords& page,
    const QVector<qint64>& latestUpTo, qint64 time, MainQuickWidget* scene) const
{
    const QList<WhiteboardRecord>& records = page.records();
    const auto first = std::upper_bound(latestUpTo.begin(), latestUpTo.end(), lastShowTime);
    const auto stop = std::upper_bound(first, latestUpTo.end(), time);
    for (int i = int(first - latestUpTo.begin()); i < int(stop - latestUpTo.begin()); ++i) {
        const WhiteboardRecord& record = records.at(i);
        if (record.timeStamp <= lastShowTime)
            continue;
        const int role = QString::fromUtf8(record.senderId) == teacherId ? 0 : 1;
        scene->onExternalGraphicData(role, record.data, true);
    }
}
