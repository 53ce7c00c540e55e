#pragma once

#include "replay/IrcData.h"
#include "replay/ReplayData.h"
#include "replay/StatusData.h"
#include "replay/VideoSegment.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QVector>

class MainQuickWidget;

// Turns the video's play position into the whiteboard state of that moment: the lesson
// time through the video's segments, and the courseware page shown then, from every
// replay data file read so far.
class ReplayDataManager : public QObject
{
    Q_OBJECT
public:
    // A moment in the video where another courseware page comes up.
    struct PageTurn
    {
        qint64 positionMs;
        QString pageId;
    };

    explicit ReplayDataManager(QObject* parent);

    // The replay information's "videoTime" entries ("startTime", "endTime").
    static QList<VideoSegment> segmentsFromVideoTime(const QJsonArray& videoTime);

    void addIrcDatas(QList<IrcData>& ircDatas, int index);
    void addReplayData(ReplayData& data);
    void setSegments(const QList<VideoSegment>& list);

    StatusData getStatusData(qint64 positionMs) const;
    // Brings the scene to the state: draws what happened on the page since the last
    // state, or the whole page from a clean scene after a page change or a jump back.
    void showData(const StatusData& data, MainQuickWidget* scene);
    // The last page change strictly before time; its time field is left 0.
    StatusData getPageNameByTimeStamp(qint64 time) const;
    // Every page turn read so far, in video order; turns outside the video are left out.
    QVector<PageTurn> pageTurns() const;
    QString teacher() const { return teacherId; }
    const QList<ReplayData>& files() const { return replayDatas; }

private:
    struct IrcDataList
    {
        QList<IrcData> datas;
        int index = 0;
    };

    // Per page key, the latest record time up to each record of the page's list.
    using RecordTimeIndex = QHash<QString, QVector<qint64>>;

    qint64 lessonTimeAt(qint64 positionMs) const;
    // -1 for a lesson time the video does not cover.
    qint64 videoPositionAt(qint64 lessonTime) const;
    void rebuildPageIndex();
    static RecordTimeIndex recordTimeIndexOf(const ReplayData& data);
    void drawPageRecords(const ReplayPageRecords& page, const QVector<qint64>& latestUpTo,
        qint64 time, MainQuickWidget* scene) const;

    QList<ReplayData> replayDatas;
    QList<IrcDataList> ircDataLists;
    QList<VideoSegment> segments;
    QString teacherId;
    QString lastPageName;
    qint64 lastShowTime = 0;
    // Every page change in reading order, and the latest time seen up to each of them:
    // the first change at or after a time is found by halving instead of walking.
    QVector<IrcData> m_pageChanges;
    QVector<qint64> m_latestUpTo;
    // One per entry of replayDatas, in the same order: a tick finds the records it has to
    // draw by halving, however long the lesson has run.
    QList<RecordTimeIndex> m_recordTimes;
};
