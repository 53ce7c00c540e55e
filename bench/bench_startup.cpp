// Prints the time from starting the staged program to its main window being shown,
// against the local service, over a few runs.
#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "XdoTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kTimeoutMs = 60000;

// Milliseconds until the main window is visible, or -1.
qint64 timeToMainWindow(const LocalService& service, const PrivateDisplay& display)
{
    TestEnvironment env;
    StagedProgram program;
    env.writeAgreementMarker();

    QProcessEnvironment processEnv = env.environment();
    service.applyClientEnvironment(processEnv);
    processEnv.insert(QStringLiteral("DISPLAY"), display.name());
    QElapsedTimer timer;
    timer.start();
    program.start(processEnv);
    // The main window is the first window a normal start shows.
    const QString window = XdoTool(display.name()).waitForVisibleWindow(program.pid(), kTimeoutMs);
    const qint64 elapsed = timer.elapsed();
    program.terminate();
    return window.isEmpty() ? -1 : elapsed;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    PrivateDisplay display;
    LocalService service;
    if (!display.isValid() || !service.start()) {
        std::fprintf(stderr, "the local service did not start\n");
        return 1;
    }
    std::vector<qint64> times;
    for (int run = 0; run < kRuns; ++run) {
        const qint64 ms = timeToMainWindow(service, display);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: no main window\n", run + 1);
            return 1;
        }
        std::printf("run %d: %lld ms\n", run + 1, static_cast<long long>(ms));
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("process start to main window shown: median %lld ms, min %lld ms, max %lld ms\n",
        static_cast<long long>(times[times.size() / 2]), static_cast<long long>(times.front()),
        static_cast<long long>(times.back()));
    return 0;
}
