#include "app/Application.h"
#include "app/ChromiumSwitches.h"
#include "app/LogFiles.h"
#include "app/LogHandleThead.h"
#include "app/VersionFolders.h"
#include "platform/Platform.h"
#include "replay/ReplayQmlTypes.h"
#include "track/Track.h"
#include "widgets/MessageBoxW.h"

#include <QDebug>

namespace {

enum ExitCode
{
    ExitTrackingFailed = 0,
    ExitLogFileFailed = 1,
    ExitAlreadyRunning = 2,
    ExitUpdating = 3,
    ExitConfigFailed = 4,
};

void startLogCleanup(const QString& logDir)
{
    auto* cleanup = new LogHandleThead(logDir);
    QObject::connect(cleanup, &QThread::finished, cleanup, &QObject::deleteLater);
    cleanup->start(QThread::InheritPriority);
}

// Steps of the main process once the application object exists.
int runMainProcess(Application& app)
{
    if (app.isRunning()) {
        qDebug() << "Application is running.";
        MessageBoxW::showModal(
            nullptr, QString(), QStringLiteral("程序正在运行中！"), 1, QStringLiteral("确定"));
        return ExitAlreadyRunning;
    }

    track::StartTrackProcess(QCoreApplication::arguments(), &app);

    QString logDir;
    if (!createLogFile(logDir)) {
        qCritical() << "Create log file failed.";
        return ExitLogFileFailed;
    }
    startLogCleanup(logDir);

    app.initEnv();
    if (!app.getConfig()) {
        qInfo() << "Get config failed.";
        return ExitConfigFailed;
    }
    if (!app.isAgreed())
        app.showProtocol();
    if (!app.update()) {
        qWarning() << "Check update failed.";
        return ExitUpdating;
    }
    registerReplayQmlTypes();
    clearOldVersions();
    app.createMainWindow();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    return app.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    qDebug() << "process deal with dpi";
    zov::platform::Platform::instance().setDpiAwareness(1);

    int extendedArgc = argc;
    char** extendedArgv = extendedArguments(extendedArgc, argv);
    Application app(extendedArgc, extendedArgv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);

    const int processType = track::TrackGetProcessType(QCoreApplication::arguments());
    if (processType == 1) {
        if (!track::InitTrack())
            return ExitTrackingFailed;
        return app.exec();
    }
    if (processType != 0)
        return app.exec();
    return runMainProcess(app);
}
