#include "service/LessonCatalog.h"

#include "service/LessonVideo.h"

#include <QCryptographicHash>
#include <QLocale>

namespace zovservice {

struct LessonCatalog::DemoLesson
{
    int planId;
    int courseType;
    int gradeType;
    const char* subject;
    const char* title;
    const char* teacher;
    // Days from the next full hour; negative ones are over.
    int dayOffset;
    int minutes;
};

LessonCatalog::LessonCatalog(QStringList replayHosts)
    : m_replayHosts(std::move(replayHosts))
{ }

const std::vector<LessonCatalog::DemoLesson>& LessonCatalog::demoLessons()
{
    static const std::vector<DemoLesson> demos = {
        { 20481, 1, 5, "数学", "分数的加减混合运算", "王思远", 0, 60 },
        { 20482, 1, 5, "英语", "一般过去时专项训练", "Lily 陈", 1, 45 },
        { 20483, 2, 5, "语文", "古诗词鉴赏：送别诗", "李雨桐", 2, 60 },
        { 20475, 1, 5, "数学", "长方体和正方体的体积", "王思远", -1, 60 },
        { 20471, 1, 5, "语文", "阅读理解：记叙文的六要素", "李雨桐", -3, 60 },
        { 20466, 1, 5, "英语", "Unit 3 词汇与句型复习", "Lily 陈", -6, 45 },
    };
    return demos;
}

QJsonArray LessonCatalog::lessons(const QDateTime& now) const
{
    const QDateTime hour(now.date(), QTime(now.time().hour(), 0));
    const QDateTime firstStart = hour.addSecs(3600);
    QJsonArray list;
    for (const DemoLesson& demo : demoLessons())
        list.append(lesson(demo, firstStart));
    return list;
}

QString LessonCatalog::titleOf(const QString& planId)
{
    for (const DemoLesson& demo : demoLessons()) {
        if (QString::number(demo.planId) == planId)
            return QString::fromUtf8(demo.title);
    }
    return {};
}

QJsonObject LessonCatalog::student()
{
    return { { QStringLiteral("name"), QStringLiteral("林小满") },
        { QStringLiteral("grade"), QStringLiteral("五年级") } };
}

QJsonObject LessonCatalog::lesson(const DemoLesson& demo, const QDateTime& firstStart) const
{
    const QDateTime start = firstStart.addDays(demo.dayOffset);
    const QDateTime end = start.addSecs(demo.minutes * 60);
    const bool finished = demo.dayOffset < 0;

    QJsonObject lesson;
    lesson.insert(QStringLiteral("planId"), demo.planId);
    lesson.insert(QStringLiteral("course_type"), demo.courseType);
    lesson.insert(QStringLiteral("grade_type"), demo.gradeType);
    lesson.insert(QStringLiteral("subject"), QString::fromUtf8(demo.subject));
    lesson.insert(QStringLiteral("title"), QString::fromUtf8(demo.title));
    lesson.insert(QStringLiteral("teacher"), QString::fromUtf8(demo.teacher));
    lesson.insert(QStringLiteral("time"), timeText(start, end));
    lesson.insert(QStringLiteral("startTime"), double(start.toMSecsSinceEpoch()));
    lesson.insert(QStringLiteral("endTime"), double(end.toMSecsSinceEpoch()));
    lesson.insert(QStringLiteral("state"),
        finished ? QStringLiteral("finished") : QStringLiteral("upcoming"));
    if (finished) {
        const QJsonObject replayInfo { { QStringLiteral("replayHost"),
                                           QJsonArray::fromStringList(m_replayHosts) },
            { QStringLiteral("replayFile"), QString::fromLatin1(LessonVideo::fileName) } };
        lesson.insert(QStringLiteral("replayInfo"), replayInfo);
    } else {
        lesson.insert(QStringLiteral("oltoken"), olToken(demo.planId));
    }
    return lesson;
}

QString LessonCatalog::timeText(const QDateTime& start, const QDateTime& end)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    return chinese.toString(start, QStringLiteral("M月d日 ddd HH:mm")) + QLatin1Char('-')
        + end.toString(QStringLiteral("HH:mm"));
}

// A stable stand-in for the live room's token, different for every lesson.
QString LessonCatalog::olToken(int planId)
{
    const QByteArray seed = "zov-live-" + QByteArray::number(planId);
    return QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex());
}

} // namespace zovservice
