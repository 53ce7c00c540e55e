#include "ControlChannel.h"
#include "LessonInfo.h"
#include "LiveRoomWindow.h"
#include "ScriptRunner.h"
#include "StandardStreams.h"

#include <QApplication>

namespace {

constexpr int kBadArgumentExitCode = 1;
constexpr int kBadScriptExitCode = 3;

} // namespace

// Started by the client with one argument, the lesson parameters as compact JSON (the
// same text it writes to "data.json"). Reports entering and leaving the lesson on the
// local socket named by "ipcName".
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const LessonInfo lesson = LessonInfo::fromArgument(app.arguments().value(1));
    if (!lesson.isValid()) {
        writeStandardError("ZovLiveRoomStu: no lesson parameters with an \"ipcName\"\r\n");
        return kBadArgumentExitCode;
    }

    ControlChannel channel(lesson.ipcName);
    LiveRoomWindow window(lesson, &channel);
    window.show();
    writeStandardOutput(QStringLiteral("ZovLiveRoomStu started, planId=%1, ipcName=%2\r\n")
                            .arg(lesson.planId, lesson.ipcName)
                            .toUtf8());

    ScriptRunner script(&window, &channel);
    const QByteArray scriptText = qgetenv("ZOV_LIVEROOM_SCRIPT");
    if (scriptText.isEmpty()) {
        channel.connectToMain();
    } else if (script.load(scriptText)) {
        script.start();
    } else {
        writeStandardError("ZovLiveRoomStu: ZOV_LIVEROOM_SCRIPT is not a JSON array of steps\r\n");
        return kBadScriptExitCode;
    }
    return app.exec();
}
