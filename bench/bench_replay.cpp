// Prints the replay player's figures on the local service's lesson video next to the
// mpv command-line player's on the same file and host, from the same run:
//   - time from playFile to the start of playback, against `mpv --vo=null` on its own clock;
//   - CPU time per minute of 1x playback into a window, against mpv into an X window;
//   - seek latency (from skip to the first position report at the target).
// Run it on an X display (the test script's Xvfb or a desktop).
#include "core/PullStream.h"

#include "LocalService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QWidget>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using zov::pull::PullStream;

namespace {

constexpr int kRuns = 5;
constexpr int kPlaySeconds = 20;
constexpr int kSeeks = 20;
constexpr int kTimeoutMs = 30000;

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A window of the size the replay window gives its video, with a player presenting in it.
struct PlayerWindow
{
    QWidget window;
    PullStream* player;

    PlayerWindow()
        : player(new PullStream(&window))
    {
        window.resize(1280, 720);
        player->videoView()->setGeometry(0, 0, 1280, 720);
        window.show();
    }
};

double oursToFirstFrameMs(const QString& url, PullStream::Output output)
{
    QWidget window;
    auto* player = new PullStream(&window, output);
    if (QWidget* view = player->videoView())
        view->setGeometry(0, 0, 1280, 720);
    window.resize(1280, 720);
    window.show();
    QSignalSpy started(player, &PullStream::videoStartPlay);
    QElapsedTimer clock;
    clock.start();
    player->playFile(url, 0);
    return started.wait(kTimeoutMs) ? clock.nsecsElapsed() / 1e6 : -1;
}

// mpv's own clock ("--msg-time") at its "playback restart complete", the event our player
// reports as the start: from its process start, so its set-up counts against it.
double mpvToFirstFrameMs(const QString& url)
{
    QProcess mpv;
    mpv.setProcessChannelMode(QProcess::MergedChannels);
    mpv.start(QStringLiteral("mpv"),
        { QStringLiteral("--no-config"), QStringLiteral("--vo=null"), QStringLiteral("--ao=null"),
            QStringLiteral("--frames=1"), QStringLiteral("--msg-time"), QStringLiteral("-v"),
            url });
    if (!mpv.waitForFinished(kTimeoutMs))
        return -1;
    for (const QByteArray& line : mpv.readAll().split('\n')) {
        if (line.contains("playback restart complete"))
            return line.mid(line.indexOf('[') + 1, line.indexOf(']') - line.indexOf('[') - 1)
                       .trimmed()
                       .toDouble()
                * 1000;
    }
    return -1;
}

double oursCpuPerMinute(const QString& url)
{
    PlayerWindow ours;
    QSignalSpy started(ours.player, &PullStream::videoStartPlay);
    ours.player->playFile(url, 0);
    if (!started.wait(kTimeoutMs))
        return -1;
    const double before = cpuSeconds(RUSAGE_SELF);
    QSignalSpy ticks(ours.player, &PullStream::progressBarChange);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kPlaySeconds * 1000)
        ticks.wait(500);
    return (cpuSeconds(RUSAGE_SELF) - before) * 60.0 / kPlaySeconds;
}

// mpv's own window (its default OpenGL output), audio to nowhere as ours has here.
double mpvCpuPerMinute(const QString& url)
{
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    QProcess mpv;
    mpv.start(QStringLiteral("mpv"),
        { QStringLiteral("--no-config"), QStringLiteral("--ao=null"), QStringLiteral("--hwdec=no"),
            QStringLiteral("--geometry=1280x720"), QStringLiteral("--really-quiet"),
            QStringLiteral("--length=%1").arg(kPlaySeconds), url });
    if (!mpv.waitForFinished(kTimeoutMs + kPlaySeconds * 1000))
        return -1;
    return (cpuSeconds(RUSAGE_CHILDREN) - before) * 60.0 / kPlaySeconds;
}

std::vector<double> seekLatenciesMs(const QString& url)
{
    PlayerWindow ours;
    QSignalSpy started(ours.player, &PullStream::videoStartPlay);
    ours.player->playFile(url, 0);
    std::vector<double> latencies;
    if (!started.wait(kTimeoutMs))
        return latencies;
    QSignalSpy ticks(ours.player, &PullStream::progressBarChange);
    for (int seek = 0; seek < kSeeks; ++seek) {
        const float target = float((seek * 37) % 170 + 5);
        ticks.clear();
        QElapsedTimer clock;
        clock.start();
        ours.player->skip(target);
        bool landed = false;
        while (!landed && clock.elapsed() < kTimeoutMs && ticks.wait(kTimeoutMs)) {
            const float position = ticks.last().at(0).toFloat();
            landed = position >= target && position < target + 1.5f;
        }
        latencies.push_back(landed ? clock.nsecsElapsed() / 1e6 : -1);
    }
    return latencies;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    LocalService service;
    if (!service.start()) {
        std::fprintf(stderr, "the local service did not start\n");
        return 1;
    }
    const QString url = service.videoHostUrl(QStringLiteral("a")) + QStringLiteral("lesson.mp4");

    std::vector<double> oursInView;
    std::vector<double> oursAsFrames;
    std::vector<double> mpv;
    for (int run = 0; run < kRuns; ++run) {
        oursInView.push_back(oursToFirstFrameMs(url, PullStream::Output::View));
        oursAsFrames.push_back(oursToFirstFrameMs(url, PullStream::Output::Frames));
        mpv.push_back(mpvToFirstFrameMs(url));
    }
    std::printf("start, median of %d (playFile to videoStartPlay): ours %.0f ms in a window, "
                "%.0f ms as frames; mpv --vo=null %.0f ms from its process start\n",
        kRuns, median(oursInView), median(oursAsFrames), median(mpv));

    const double oursCpu = oursCpuPerMinute(url);
    const double mpvCpu = mpvCpuPerMinute(url);
    std::printf("CPU per minute of 1x playback: ours %.1f s, mpv %.1f s (ratio %.2f)\n", oursCpu,
        mpvCpu, oursCpu / mpvCpu);

    const std::vector<double> seeks = seekLatenciesMs(url);
    if (seeks.empty()) {
        std::fprintf(stderr, "the video did not start for the seeks\n");
        return 1;
    }
    std::printf("seek to first report at the target, %d seeks: median %.0f ms, worst %.0f ms\n",
        int(seeks.size()), median(seeks), *std::max_element(seeks.begin(), seeks.end()));
    return 0;
}
