// Prints, over a few runs against the local service, the time from starting the staged
// program to its main window being shown and to the log-in page's load finished, next
// to a minimal web view loading the same page (this program started again with
// --minimal-view <url>).
#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "XdoTool.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kTimeoutMs = 60000;
const char kMinimalViewSwitch[] = "--minimal-view";
const QByteArray kLoginPageLoaded = "WebMainWindow::onLoadFinished true";

struct ProgramTimes
{
    qint64 mainWindowMs = -1;
    qint64 loginPageMs = -1;
};

int runMinimalView(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    QObject::connect(&view, &QWebEngineView::loadFinished, [](bool ok) {
        std::printf(ok ? "LOADED\n" : "FAILED\n");
        std::fflush(stdout);
        QCoreApplication::exit(ok ? 0 : 1);
    });
    view.resize(1280, 760);
    view.show();
    view.load(QUrl(QString::fromLocal8Bit(argv[2])));
    return app.exec();
}

// The log is flushed in batches, so the time comes from the line's own time stamp
// ("yyyy-MM-dd hh:mm:ss.zzz ..."), not from when the line shows up in the file.
qint64 loggedAtMs(const QByteArray& log, const QByteArray& text)
{
    const int at = log.indexOf(text);
    if (at < 0)
        return -1;
    const int lineStart = log.lastIndexOf('\n', at) + 1;
    const QString stamp = QString::fromLatin1(log.mid(lineStart, 23));
    return QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
        .toMSecsSinceEpoch();
}

ProgramTimes timeProgram(const LocalService& service, const PrivateDisplay& display)
{
    TestEnvironment env;
    StagedProgram program;
    env.writeAgreementMarker();
    QProcessEnvironment processEnv = env.environment();
    service.applyClientEnvironment(processEnv);
    processEnv.insert(QStringLiteral("DISPLAY"), display.name());

    ProgramTimes times;
    const qint64 startedAt = QDateTime::currentMSecsSinceEpoch();
    QElapsedTimer timer;
    timer.start();
    program.start(processEnv);
    // The main window is the first window a normal start shows.
    if (!XdoTool(display.name()).waitForVisibleWindow(program.pid(), kTimeoutMs).isEmpty())
        times.mainWindowMs = timer.elapsed();
    while (timer.elapsed() < kTimeoutMs) {
        const qint64 loadedAt = loggedAtMs(env.runLogText(), kLoginPageLoaded);
        if (loadedAt >= 0) {
            times.loginPageMs = loadedAt - startedAt;
            break;
        }
        QThread::msleep(20);
    }
    program.terminate();
    return times;
}

qint64 timeMinimalView(const QString& url, const PrivateDisplay& display)
{
    QProcess view;
    QProcessEnvironment processEnv = QProcessEnvironment::systemEnvironment();
    processEnv.remove(QStringLiteral("QT_QPA_PLATFORM"));
    processEnv.insert(QStringLiteral("DISPLAY"), display.name());
    view.setProcessEnvironment(processEnv);
    QElapsedTimer timer;
    timer.start();
    view.start(
        QCoreApplication::applicationFilePath(), { QString::fromLatin1(kMinimalViewSwitch), url });
    while (timer.elapsed() < kTimeoutMs && view.state() != QProcess::NotRunning) {
        if (view.waitForReadyRead(5) && view.readAll().contains("LOADED")) {
            const qint64 elapsed = timer.elapsed();
            view.waitForFinished(5000);
            return elapsed;
        }
    }
    view.kill();
    return -1;
}

void printSummary(const char* name, std::vector<qint64> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %lld ms, min %lld ms, max %lld ms\n", name,
        static_cast<long long>(times[times.size() / 2]), static_cast<long long>(times.front()),
        static_cast<long long>(times.back()));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], kMinimalViewSwitch) == 0)
        return runMinimalView(argc, argv);

    QCoreApplication app(argc, argv);
    PrivateDisplay display;
    LocalService service;
    if (!display.isValid() || !service.start()) {
        std::fprintf(stderr, "the local service did not start\n");
        return 1;
    }
    const QString loginPage = service.webBaseUrl().toString()
        + QStringLiteral("/pages/login.html?isagree=true&version=1.6.7.0");
    std::vector<qint64> windowTimes;
    std::vector<qint64> pageTimes;
    std::vector<qint64> viewTimes;
    for (int run = 0; run < kRuns; ++run) {
        const ProgramTimes program = timeProgram(service, display);
        const qint64 view = timeMinimalView(loginPage, display);
        if (program.mainWindowMs < 0 || program.loginPageMs < 0 || view < 0) {
            std::fprintf(
                stderr, "run %d: the main window or the log-in page did not come\n", run + 1);
            return 1;
        }
        std::printf("run %d: main window %lld ms, log-in page %lld ms, minimal view %lld ms\n",
            run + 1, static_cast<long long>(program.mainWindowMs),
            static_cast<long long>(program.loginPageMs), static_cast<long long>(view));
        windowTimes.push_back(program.mainWindowMs);
        pageTimes.push_back(program.loginPageMs);
        viewTimes.push_back(view);
    }
    printSummary("program start to main window:", windowTimes);
    printSummary("program start to log-in page:", pageTimes);
    printSummary("minimal view start to same page:", viewTimes);
    return 0;
}
