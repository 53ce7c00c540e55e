#include "app/Context.h"
#include "app/Settings.h"
#include "core/PullStream.h"
#include "replay/PlayProgressStore.h"
#include "replay/ReplayPlayPage.h"
#include "replay/ReplayVideoCtrl.h"
#include "replay/SequenceFrame.h"
#include "replay/VideoLoading.h"
#include "replay/VideoPrograssBar.h"

#include "LocalService.h"
#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

using zov::pull::PullStream;

namespace {

constexpr int kStartTimeoutMs = 20000;
constexpr int kVideoSeconds = 180;
// The last position the window's player reported, waiting for a report to arrive.
float nextPosition(QSignalSpy& progress)
{
    progress.clear();
    return progress.wait(2000) ? progress.last().at(0).toFloat() : -1;
}

} // namespace

// The replay window and its stream player on real libmpv, playing the local service's
// generated lesson video over HTTP.
class ReplayPlayerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        QVERIFY(m_service.start());
    }

    void init()
    {
        Context::instance()->data() = ContextData();
        QVERIFY(m_service.setVideoFaults(1000000, 100000));
    }

    void videoFitsInto_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<int>("whiteboardWidth");
        QTest::newRow("square") << QSize(1000, 1000) << QRect(0, 219, 1000, 562) << 750;
        QTest::newRow("wide") << QSize(2000, 720) << QRect(360, 0, 1280, 720) << 960;
        QTest::newRow("exact") << QSize(1280, 720) << QRect(0, 0, 1280, 720) << 960;
    }

    void videoFitsInto()
    {
        QFETCH(QSize, area);
        QFETCH(QRect, box);
        QFETCH(int, whiteboardWidth);
        const ReplayPlayPage::VideoBoxes boxes = ReplayPlayPage::keepRatio(area);
        QCOMPARE(boxes.box, box);
        QCOMPARE(boxes.whiteboard, QRect(box.topLeft(), QSize(whiteboardWidth, box.height())));
        QCOMPARE(boxes.headVideo.left(), box.left() + whiteboardWidth);
        QCOMPARE(boxes.headVideo.right(), box.right());
        QCOMPARE(ReplayPlayPage::coursewareWidth(1280), 960);
    }

    // The loading overlay only ever loops its animation.
    void loadingAnimationLoops()
    {
        SequenceFrame frames;
        frames.load(
            QStringLiteral(ZOV_SOURCE_DIR "/res/replay/loading"), QStringLiteral("loading_"));
        QCOMPARE(frames.frameCount(), 12);
        frames.start(SequenceFrame::Loop);
        for (int tick = 1; tick < 12; ++tick)
            frames.onTimeOut();
        QCOMPARE(frames.currentIndex(), 11);
        frames.onTimeOut();
        QCOMPARE(frames.currentIndex(), 0);
        QVERIFY(frames.isVisible());
    }

    // A seek while paused resumes; a mark names itself only within 0.002 of the bar, and
    // letting go there lands on it.
    void seeksResumeAndLandOnMarks()
    {
        ReplayVideoCtrl ctrl;
        ctrl.onDurationChange(200);
        ctrl.setMarks(
            { { 50, QStringLiteral("第 2 页") }, { 500, QStringLiteral("after the end") } });
        ctrl.onPlayBtnClicked();
        QVERIFY(!ctrl.isPlaying());
        auto* bar = ctrl.findChild<VideoPrograssBar*>();
        bar->resize(1000, 18);
        QSignalSpy names(
            bar, QOverload<QString, QPoint, bool>::of(&VideoPrograssBar::tooltipChanged));
        QSignalSpy times(
            bar, QOverload<float, QPoint, bool>::of(&VideoPrograssBar::tooltipChanged));
        for (const int x : { 251, 253, 999 }) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 5), Qt::NoButton, {}, {});
            QApplication::sendEvent(bar, &move);
        }
        QCOMPARE(names.size(), 1);
        QCOMPARE(names.at(0).at(0).toString(), QStringLiteral("第 2 页"));
        QCOMPARE(times.size(), 2);
        QSignalSpy seeks(&ctrl, &ReplayVideoCtrl::valueChanged);
        QSignalSpy status(&ctrl, &ReplayVideoCtrl::playStatusChanged);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(249, 5));
        QCOMPARE(seeks.last().at(0).toFloat(), 50.0f);
        QCOMPARE(status.size(), 1);
        QVERIFY(ctrl.isPlaying());
        ctrl.seekBy(-700);
        QCOMPARE(seeks.last().at(0).toFloat(), 0.0f);
        ctrl.onProgressBarChange(3599, 4207);
        QCOMPARE(ctrl.timeText(), QStringLiteral("59:59 / 01:10:07"));
    }

    // Each stall waits five seconds longer than the one before, up to twenty, then starts
    // over; each wait ends in a restart on the next of the video paths, round the list.
    void stallsWaitLongerAndRestartRoundThePaths()
    {
        QStringList paths;
        for (const char* name : { "one.mp4", "two.mp4", "three.mp4" })
            paths.append(m_service.videoHostUrl("missing") + QLatin1String(name));
        Context::instance()->data().replayVideoPaths = paths;
        ReplayPlayPage page(nullptr, ReplayPlayPage::WhiteboardMode);
        page.initPlayer();
        int next = paths.indexOf(page.currentVideoPath());
        QVERIFY(next >= 0);
        for (const int expected : { 5000, 10000, 15000, 20000, 5000 }) {
            page.onPlayerNotFluent();
            auto* timer = page.findChild<QTimer*>(QStringLiteral("notFluentTimer"));
            QVERIFY(timer && timer->isActive());
            QCOMPARE(timer->interval(), expected);
            page.onPlayerCheckTimeOut();
            next = (next + 1) % paths.size();
            QCOMPARE(page.currentVideoPath(), paths.at(next));
        }
    }

    // Near the end nothing is written, so the next replay goes on from the older place.
    void storedPositionSkipsTheLastHalfMinute()
    {
        writeSetting(QStringLiteral("enablePlayRestore"), QStringLiteral("isEnable"),
            QStringLiteral("true"));
        ContextData& context = Context::instance()->data();
        context.replayPlanId = QStringLiteral("20475");
        context.userId = 42;
        const PlayProgressStore store(context.replayPlanId, QStringLiteral("42"));
        store.store(1000);
        ReplayPlayPage page(nullptr, ReplayPlayPage::WhiteboardMode);
        page.initPlayer();
        page.onProgressBarChange(4190, 4200);
        QCOMPARE(store.storedSeconds(), 1000);

        page.initPlayer();
        page.onProgressBarChange(100, 4200);
        QCOMPARE(store.storedSeconds(), 100);
        page.onProgressBarChange(200, 4200);
        QCOMPARE(store.storedSeconds(), 100);
    }

    void keysControlThePlayer()
    {
        Context::instance()->data().replayVideoPaths
            = QStringList { m_service.videoHostUrl("missing") + QStringLiteral("lesson.mp4") };
        ReplayPlayPage page(nullptr, ReplayPlayPage::VideoMode);
        page.show();
        page.initPlayer();
        ReplayVideoCtrl* ctrl = page.controlBar();
        ctrl->onDurationChange(kVideoSeconds);
        ctrl->onProgressBarChange(100, kVideoSeconds);
        QSignalSpy seeks(ctrl, &ReplayVideoCtrl::valueChanged);
        QTest::keyClick(&page, Qt::Key_Right);
        QTest::keyClick(&page, Qt::Key_Left);
        QTest::keyClick(&page, Qt::Key_Left);
        QCOMPARE(seeks.size(), 3);
        QCOMPARE(seeks.at(0).at(0).toFloat(), 110.0f);
        QCOMPARE(seeks.at(2).at(0).toFloat(), 90.0f);
        QTest::keyClick(&page, Qt::Key_Down);
        QCOMPARE(qRound(ctrl->volume() * 100), 90);
        QTest::keyClick(&page, Qt::Key_Up);
        QCOMPARE(qRound(ctrl->volume() * 100), 100);
        QTest::keyClick(&page, Qt::Key_Space);
        QVERIFY(!ctrl->isPlaying());
        QTest::keyClick(&page, Qt::Key_F);
        QVERIFY(page.isMaximized());
        QTest::keyClick(&page, Qt::Key_Escape);
        QVERIFY(!page.isMaximized());
    }

    // One playing window: ticks, seeking, speed, pause and the end.
    void playsSeeksAndEnds()
    {
        Context::instance()->data().replayVideoPaths
            = QStringList { m_service.videoHostUrl("a") + QStringLiteral("lesson.mp4") };
        ReplayPlayPage page(nullptr, ReplayPlayPage::VideoMode);
        page.show();
        page.initPlayer();
        PullStream* player = page.streamPlayer();
        QSignalSpy started(player, &PullStream::videoStartPlay);
        QSignalSpy progress(player, &PullStream::progressBarChange);
        QVERIFY(started.wait(kStartTimeoutMs));
        QTRY_VERIFY(!page.findChild<VideoLoading*>()->isVisible());

        progress.clear();
        QTest::qWait(2000);
        QVERIFY2(progress.size() >= 8, qPrintable(QString::number(progress.size())));

        page.onValueChanged(100);
        QElapsedTimer seekClock;
        seekClock.start();
        float landed = -1;
        while (seekClock.elapsed() < 5000 && (landed < 100 || landed > 101.5f))
            landed = nextPosition(progress);
        QVERIFY2(landed >= 100 && landed <= 101.5f, qPrintable(QString::number(landed)));

        page.onSpeedChanged(20);
        QVERIFY(!player->speedPlay(7));
        QTest::qWait(500);
        const float before = nextPosition(progress);
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(2000);
        const float after = nextPosition(progress);
        const double rate = (after - before) / (clock.elapsed() / 1000.0);
        QVERIFY2(rate > 1.3 && rate < 1.7, qPrintable(QString::number(rate)));

        page.controlBar()->onPlayBtnClicked();
        QTest::qWait(300);
        progress.clear();
        QTest::qWait(600);
        QVERIFY(progress.isEmpty());

        QSignalSpy finished(player, &PullStream::videoPlayFinished);
        // Seeking from the paused bar plays on from the new place.
        page.controlBar()->onValueChanged(float(kVideoSeconds - 3) / kVideoSeconds);
        QVERIFY(page.controlBar()->isPlaying());
        QVERIFY(finished.wait(kStartTimeoutMs));
        QCOMPARE(finished.at(0).at(0).toInt(), kVideoSeconds);
        auto* overlay = page.findChild<VideoLoading*>();
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->page(), VideoLoading::ReplayPage);
        QCOMPARE(page.controlBar()->timeText(), QStringLiteral("03:00 / 03:00"));
        started.clear();
        emit overlay->notifyReplayClicked();
        QVERIFY(started.wait(kStartTimeoutMs));
        QVERIFY(page.controlBar()->currentPosition() < 2);
    }

    void deadHostsAreLeftForTheNextPath_data()
    {
        QTest::addColumn<QString>("badHost");
        QTest::newRow("missing file") << QStringLiteral("missing");
        QTest::newRow("stalled transfer") << QStringLiteral("stall");
    }

    void deadHostsAreLeftForTheNextPath()
    {
        QFETCH(QString, badHost);
        // About four seconds of video arrive before the stalling host goes quiet.
        const qint64 videoBytes = QFileInfo(m_service.videoFile()).size();
        QVERIFY(m_service.setVideoFaults(int(videoBytes * 4 / kVideoSeconds), 100000));
        const QString bad = m_service.videoHostUrl(badHost) + QStringLiteral("lesson.mp4");
        const QString good = m_service.videoHostUrl("b") + QStringLiteral("lesson.mp4");
        Context::instance()->data().replayVideoPaths = QStringList { bad, good };
        ReplayPlayPage page(nullptr, ReplayPlayPage::VideoMode);
        page.show();
        page.initPlayer();
        // Each window goes on from where the last one's round robin stopped.
        if (page.currentVideoPath() != bad)
            page.onPlayerCheckTimeOut();
        QCOMPARE(page.currentVideoPath(), bad);

        QSignalSpy notFluent(page.streamPlayer(), &PullStream::playerNotFluent);
        QSignalSpy started(page.streamPlayer(), &PullStream::videoStartPlay);
        QVERIFY(notFluent.wait(kStartTimeoutMs));
        auto* overlay = page.findChild<VideoLoading*>();
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->page(), VideoLoading::LoadingPage);
        started.clear();
        QVERIFY(started.wait(5000 + kStartTimeoutMs));
        QCOMPARE(page.currentVideoPath(), good);
        QTRY_VERIFY(!overlay->isVisible());
        QCOMPARE(notFluent.size(), 1);
    }

private:
    TestEnvironment m_env;
    LocalService m_service;
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ReplayPlayerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_replayplayer.moc"
