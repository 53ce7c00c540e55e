#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace zovservice {

// The demo timetable: a few lessons still to come and a few finished ones with a replay,
// timed around the moment they are asked for so that the page always has both kinds.
class LessonCatalog
{
public:
    // replayHost: the folder the finished lessons' videos are served from.
    explicit LessonCatalog(QString replayHost);

    QJsonArray lessons(const QDateTime& now) const;
    static QJsonObject student();

private:
    struct DemoLesson;

    QJsonObject lesson(const DemoLesson& demo, const QDateTime& firstStart) const;
    static QString timeText(const QDateTime& start, const QDateTime& end);
    static QString olToken(int planId);

    QString m_replayHost;
};

} // namespace zovservice
