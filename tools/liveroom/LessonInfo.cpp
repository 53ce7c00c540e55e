#include "LessonInfo.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

namespace {

// The page sends ids as numbers or as strings; both are shown as they are.
QString displayText(const QJsonValue& value)
{
    return value.toVariant().toString();
}

} // namespace

LessonInfo LessonInfo::fromArgument(const QString& argument)
{
    const QJsonObject params = QJsonDocument::fromJson(argument.toUtf8()).object();
    LessonInfo lesson;
    lesson.planId = displayText(params.value(QStringLiteral("planId")));
    lesson.courseType = displayText(params.value(QStringLiteral("course_type")));
    lesson.host = params.value(QStringLiteral("host")).toString();
    lesson.ipcName = params.value(QStringLiteral("ipcName")).toString();
    lesson.evaluationUrl = params.value(QStringLiteral("classEvaluationUrl")).toString();
    return lesson;
}
