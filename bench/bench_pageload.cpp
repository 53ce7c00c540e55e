// Prints the time from process start to the log-in page's load finished: the staged
// program against the local service, next to a minimal web view loading the same page
// in the same run (this program started again with --minimal-view <url>).
#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

qint64 programToLoginPage(const LocalService& service, const PrivateDisplay& display)
{
    TestEnvironment env;
    StagedProgram program;
    env.writeAgreementMarker();
    QProcessEnvironment processEnv = env.environment();
    service.applyClientEnvironment(processEnv);
    processEnv.insert(QStringLiteral("DISPLAY"), display.name());
    processEnv.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));

    QElapsedTimer timer;
    timer.start();
    program.start(processEnv);
    while (timer.elapsed() < kTimeoutMs) {
        if (env.runLogText().contains("WebMainWindow::onLoadFinished true")) {
            const qint64 elapsed = timer.elapsed();
            program.terminate();
            return elapsed;
        }
        QThread::msleep(5);
    }
    program.terminate();
    return -1;
}

qint64 minimalViewToPage(const QString& url, const PrivateDisplay& display)
{
    QProcess view;
    QProcessEnvironment processEnv = QProcessEnvironment::systemEnvironment();
    processEnv.remove(QStringLiteral("QT_QPA_PLATFORM"));
    processEnv.insert(QStringLiteral("DISPLAY"), display.name());
    processEnv.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    view.setProcessEnvironment(processEnv);
    QElapsedTimer timer;
    timer.start();
    view.start(
        QCoreApplication::applicationFilePath(), { QString::fromLatin1(kMinimalViewSwitch), url });
    while (timer.elapsed() < kTimeoutMs) {
        if (view.waitForReadyRead(5) && view.readAll().contains("LOADED")) {
            const qint64 elapsed = timer.elapsed();
            view.waitForFinished(5000);
            return elapsed;
        }
        if (view.state() == QProcess::NotRunning)
            return -1;
    }
    view.kill();
    return -1;
}

void printSummary(const char* name, std::vector<qint64> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %lld ms, min %lld ms, max %lld ms\n", name,
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
    std::vector<qint64> programTimes;
    std::vector<qint64> viewTimes;
    for (int run = 0; run < kRuns; ++run) {
        const qint64 program = programToLoginPage(service, display);
        const qint64 view = minimalViewToPage(loginPage, display);
        if (program < 0 || view < 0) {
            std::fprintf(stderr, "run %d: the log-in page did not load\n", run + 1);
            return 1;
        }
        std::printf("run %d: program %lld ms, minimal view %lld ms\n", run + 1,
            static_cast<long long>(program), static_cast<long long>(view));
        programTimes.push_back(program);
        viewTimes.push_back(view);
    }
    printSummary("program to log-in page:", programTimes);
    printSummary("minimal view to same page:", viewTimes);
    return 0;
}
