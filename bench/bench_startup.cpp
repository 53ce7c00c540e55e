// Prints, over a few runs against the local service, the time from starting the staged
// program to its main window being shown and to the log-in page's load finished, next
// to a minimal web view loading the same page (this program started again with
// --minimal-view <url>); then the memory (PSS) of every process of each side 5 s after
// the page loaded, and what the tracking process costs on its own.
#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "XdoTool.h"
#include "platform/LinuxProcessTable.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kRuns = 11;
constexpr int kTimeoutMs = 60000;
constexpr unsigned long kSettleSeconds = 5;
const char kMinimalViewSwitch[] = "--minimal-view";
const QByteArray kLoginPageLoaded = "WebMainWindow::onLoadFinished true";

struct ProgramTimes
{
    qint64 mainWindowMs = -1;
    qint64 loginPageMs = -1;
    qint64 pssKiB = 0;
    qint64 trackPssKiB = 0;
    qint64 trackCpuMs = 0;
};

struct ViewRun
{
    qint64 loadedMs = -1;
    qint64 pssKiB = 0;
};

QByteArray procFile(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 pssKiBOf(qint64 pid)
{
    const QByteArray rollup = procFile(pid, "smaps_rollup");
    const int at = rollup.indexOf("\nPss:");
    return at < 0 ? 0 : rollup.mid(at + 5, 30).simplified().split(' ').value(0).toLongLong();
}

QList<qint64> processTree(qint64 root)
{
    return QList<qint64> { root }
    + zov::platform::LinuxProcessTable::snapshot().descendantsOf(root);
}

qint64 treePssKiB(qint64 root)
{
    qint64 total = 0;
    for (qint64 pid : processTree(root))
        total += pssKiBOf(pid);
    return total;
}

// User plus system time, from the fields after the parenthesised name of /proc/<pid>/stat.
qint64 cpuMsOf(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

void measureTrackingProcess(qint64 root, ProgramTimes& times)
{
    for (qint64 pid : processTree(root)) {
        if (procFile(pid, "cmdline").contains("--zov-track-process")) {
            times.trackPssKiB = pssKiBOf(pid);
            times.trackCpuMs = cpuMsOf(pid);
        }
    }
}

int runMinimalView(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    // It stays open, as the program does, until the benchmark has measured it.
    QObject::connect(&view, &QWebEngineView::loadFinished, [](bool ok) {
        std::printf(ok ? "LOADED\n" : "FAILED\n");
        std::fflush(stdout);
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
    QThread::sleep(kSettleSeconds);
    times.pssKiB = treePssKiB(program.pid());
    measureTrackingProcess(program.pid(), times);
    program.terminate();
    return times;
}

ViewRun timeMinimalView(const QString& url, const PrivateDisplay& display)
{
    ViewRun run;
    QProcess view;
    // A profile as fresh as the program's, so that neither side starts with warm caches.
    TestEnvironment env;
    QProcessEnvironment processEnv = env.environment();
    processEnv.remove(QStringLiteral("QT_QPA_PLATFORM"));
    processEnv.insert(QStringLiteral("DISPLAY"), display.name());
    // As the staged program gets it: the web engine's sandbox does not start as root.
    processEnv.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    view.setProcessEnvironment(processEnv);
    QElapsedTimer timer;
    timer.start();
    view.start(
        QCoreApplication::applicationFilePath(), { QString::fromLatin1(kMinimalViewSwitch), url });
    while (timer.elapsed() < kTimeoutMs && view.state() != QProcess::NotRunning) {
        if (view.waitForReadyRead(5) && view.readAll().contains("LOADED")) {
            run.loadedMs = timer.elapsed();
            QThread::sleep(kSettleSeconds);
            run.pssKiB = treePssKiB(view.processId());
            break;
        }
    }
    view.terminate();
    if (!view.waitForFinished(5000))
        view.kill();
    view.waitForFinished(5000);
    return run;
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printSummary(const char* name, std::vector<qint64> values, const char* unit = "ms")
{
    std::sort(values.begin(), values.end());
    std::printf("%-38s median %lld %s, min %lld, max %lld\n", name,
        static_cast<long long>(median(values)), unit, static_cast<long long>(values.front()),
        static_cast<long long>(values.back()));
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
    std::vector<qint64> windowTimes, pageTimes, viewTimes, programPss, viewPss, trackPss, trackCpu;
    for (int run = 0; run < kRuns; ++run) {
        const ProgramTimes program = timeProgram(service, display);
        const ViewRun view = timeMinimalView(loginPage, display);
        if (program.mainWindowMs < 0 || program.loginPageMs < 0 || view.loadedMs < 0) {
            std::fprintf(
                stderr, "run %d: the main window or the log-in page did not come\n", run + 1);
            return 1;
        }
        std::printf("run %d: main window %lld ms, log-in page %lld ms, minimal view %lld ms; "
                    "PSS %lld / %lld KiB; tracking process %lld KiB, %lld ms CPU\n",
            run + 1, static_cast<long long>(program.mainWindowMs),
            static_cast<long long>(program.loginPageMs), static_cast<long long>(view.loadedMs),
            static_cast<long long>(program.pssKiB), static_cast<long long>(view.pssKiB),
            static_cast<long long>(program.trackPssKiB),
            static_cast<long long>(program.trackCpuMs));
        windowTimes.push_back(program.mainWindowMs);
        pageTimes.push_back(program.loginPageMs);
        viewTimes.push_back(view.loadedMs);
        programPss.push_back(program.pssKiB);
        viewPss.push_back(view.pssKiB);
        trackPss.push_back(program.trackPssKiB);
        trackCpu.push_back(program.trackCpuMs);
    }
    printSummary("program start to main window:", windowTimes);
    printSummary("program start to log-in page:", pageTimes);
    printSummary("minimal view start to same page:", viewTimes);
    std::printf("start-up ratio (program / view): %.2f\n",
        double(median(pageTimes)) / double(median(viewTimes)));
    printSummary("program PSS, all processes:", programPss, "KiB");
    printSummary("minimal view PSS, all processes:", viewPss, "KiB");
    std::printf("memory ratio (program / view): %.2f\n",
        double(median(programPss)) / double(median(viewPss)));
    printSummary("tracking process PSS:", trackPss, "KiB");
    printSummary("tracking process CPU:", trackCpu, "ms");
    return 0;
}
