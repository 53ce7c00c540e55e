#pragma once

#include <QString>

// What the live room shows and needs from its one argument, the lesson parameters the
// client also writes to "data.json".
struct LessonInfo
{
    QString planId;
    QString courseType;
    QString host;
    QString ipcName;
    QString evaluationUrl;

    // Without a control-socket name there is no one to report the lesson to.
    bool isValid() const { return !ipcName.isEmpty(); }

    static LessonInfo fromArgument(const QString& argument);
};
