#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace zovservice {

// The demo timetable: a few lessons still to come and a few finished ones with a replay,
// timed around the moment they are asked for so that the page always has both kinds.
class LessonCatalog
{
public:
    // replayHosts: the folders the finished lessons' video is served from.
    explicit LessonCatalog(QStringList replayHosts);

    QJsonArray lessons(const QDateTime& now) const;
    static QJsonObject student();
    // Empty when planId is none of the demo lessons.
    static QString titleOf(const QString& planId);

private:
    struct DemoLesson;

    static const std::vector<DemoLesson>& demoLessons();
    QJsonObject lesson(const DemoLesson& demo, const QDateTime& firstStart) const;
    static QString timeText(const QDateTime& start, const QDateTime& end);
    static QString olToken(int planId);

    QStringList m_replayHosts;
};

} // namespace zovservice
