#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "XdoTool.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTest>

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr int kPixelTimeoutMs = 15000;
const QString kReplayTitle = QStringLiteral("课堂回放");
// The back button at the left of the replay window's title bar.
const QPoint kBackButton(40, 25);
// The whiteboard of a replay window at the screen's top left, below its title bar and
// above where its control bar shows.
const QRect kWhiteboard(0, 50, 960, 640);
// The progress bar of that window's control bar, and the length of the service's lesson.
const QRect kProgressBar(16, 719, 1248, 1);
constexpr int kLessonSeconds = 180;
const QColor kCourseware(0xFF, 0xEE, 0xBB);

int pixelsLike(const QImage& screen, const QColor& wanted)
{
    int count = 0;
    for (int y = 0; y < screen.height(); y += 2) {
        for (int x = 0; x < screen.width(); x += 2) {
            const QColor colour(screen.pixel(x, y));
            if (qAbs(colour.red() - wanted.red()) < 16 && qAbs(colour.green() - wanted.green()) < 16
                && qAbs(colour.blue() - wanted.blue()) < 16)
                count += 4;
        }
    }
    return count;
}

} // namespace

// A student opens a recorded lesson from a page of the service in the staged program:
// the window plays the video where the student left it and closes after asking.
class ReplayFlowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_display.isValid());
        QVERIFY(m_service.start());
        QVERIFY(m_program.isValid());
        QVERIFY(m_service.setLoginPage(QStringLiteral("/pages/test/replay.html")));
        QVERIFY(m_env.writeAgreementMarker());
    }

    void pageOpensTheReplayWhereItWasLeft()
    {
        const QString data = m_env.dataFolder();
        QSettings(data + QStringLiteral("/setting.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("enablePlayRestore/isEnable"), true);
        QSettings(data + QStringLiteral("/ss.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("PlayProgress/####20475####0####"), 60.5);

        m_program.start(StagedProgram::clientEnvironment(m_env, m_service, m_display.name()));
        const QString window
            = m_xdo.waitForVisibleWindow(m_program.pid(), kReplayTitle, kStartTimeoutMs);
        QVERIFY(!window.isEmpty());
        QVERIFY(m_env.waitForRunLog(
            "ReplayPageManager::onVideoStartPlay 01:00 / 03:00", kStartTimeoutMs));
        QVERIFY(m_env.runLogText().contains("start: 60 arg: 60"));
        QTRY_VERIFY_WITH_TIMEOUT(pixelsLike(screenshot(), kCourseware) > 100000, 10000);

        const QStringList before = m_xdo.visibleWindows(m_program.pid());
        QVERIFY(m_xdo.click(window, kBackButton.x(), kBackButton.y()));
        QString box;
        QTRY_VERIFY_WITH_TIMEOUT(!(box = newWindow(before)).isEmpty(), 10000);
        QVERIFY(m_xdo.pressKey(box, QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_xdo.waitForVisibleWindow(m_program.pid(), kReplayTitle, 100).isEmpty(), 10000);
        QCOMPARE(m_program.process().state(), QProcess::Running);
    }

    // Opened at second 53, the support tool shows page 2 scrolled down to where only the
    // student drew; page 3 has the teacher's drawing but none of the student's; back on
    // page 2 the drawing is exactly what it was. The lesson's last file fails its checksum
    // and is left out.
    void viewerShowsTheWhiteboardOfTheChosenTime()
    {
        QVERIFY(m_service.setReplayDataFaults(true, false));
        QProcess viewer;
        viewer.setProcessEnvironment(
            StagedProgram::clientEnvironment(m_env, m_service, m_display.name()));
        viewer.setWorkingDirectory(m_program.versionDir());
        viewer.start(m_program.versionDir() + QStringLiteral("/ZovReplayViewer"),
            { QStringLiteral("--lesson"),
                m_service.apiBaseUrl().toString()
                    + QStringLiteral("/olbusiness/api/playback/getReplayEnterUrl?planId=20475"),
                QStringLiteral("--at"), QStringLiteral("53") });
        const QString window
            = m_xdo.waitForVisibleWindow(viewer.processId(), kReplayTitle, kStartTimeoutMs);
        QVERIFY(!window.isEmpty());
        const Drawing page2 = drawingOnceSettled([](const Drawing& d) { return d.student > 300; });
        QVERIFY2(page2.teacher > 300, qPrintable(QString::number(page2.teacher)));
        // The video's frames show under the drawing.
        const int courseware = pixelsLike(screenshot().copy(kWhiteboard), kCourseware);
        QVERIFY2(courseware > 100000, qPrintable(QString::number(courseware)));
        QVERIFY(m_xdo.pressKey(window, QStringLiteral("Right")));
        const Drawing page3 = drawingOnceSettled(
            [](const Drawing& d) { return d.student == 0 && d.teacher > 300; });
        QCOMPARE(page3.student, 0);
        QVERIFY(clickOnProgressBar(window, 53));
        const Drawing again = drawingOnceSettled([](const Drawing& d) { return d.student > 0; });
        QVERIFY2(again.isLike(page2),
            qPrintable(QStringLiteral("%1/%2 then %3/%4")
                           .arg(page2.student)
                           .arg(page2.teacher)
                           .arg(again.student)
                           .arg(again.teacher)));
        viewer.terminate();
        QVERIFY(viewer.waitForFinished(10000));
        QVERIFY(m_service.setReplayDataFaults(false, false));
    }

private:
    // The pointer first shows the control bar, then clicks where the bar has that second.
    bool clickOnProgressBar(const QString& window, int second) const
    {
        const int x = kProgressBar.left() + kProgressBar.width() * second / kLessonSeconds;
        if (!m_xdo.moveTo(window, x, kProgressBar.y()))
            return false;
        QTest::qWait(500);
        return m_xdo.click(window, x, kProgressBar.y()) && m_xdo.moveTo(window, 1100, 300);
    }

    // Pixels of each sender's colour on the whiteboard, the window's left three quarters.
    struct Drawing
    {
        int teacher = -1;
        int student = -1;

        // Alike but for a few pixels at the edges of strokes, where the video shows through.
        bool isLike(const Drawing& other) const
        {
            return qAbs(teacher - other.teacher) <= teacher / 50
                && qAbs(student - other.student) <= student / 50;
        }
    };

    Drawing whiteboardDrawing() const
    {
        const QImage board = screenshot().copy(kWhiteboard);
        return { pixelsLike(board, QColor(0xD3, 0x2F, 0x2F)),
            pixelsLike(board, QColor(0x19, 0x76, 0xD2)) };
    }

    // Once the drawing is what the caller waits for, two screenshots a second apart must
    // agree, so a scene still being redrawn is not read.
    template<typename Wanted> Drawing drawingOnceSettled(Wanted wanted) const
    {
        const QDeadlineTimer deadline(kPixelTimeoutMs);
        Drawing last;
        while (!deadline.hasExpired()) {
            const Drawing now = whiteboardDrawing();
            if (wanted(now) && now.isLike(last))
                return now;
            last = now;
            QTest::qWait(wanted(now) ? 1000 : 200);
        }
        return last;
    }

    QString newWindow(const QStringList& before) const
    {
        for (const QString& window : m_xdo.visibleWindows(m_program.pid()))
            if (!before.contains(window))
                return window;
        return QString();
    }

    QImage screenshot() const
    {
        QProcess grab;
        grab.start(QStringLiteral("import"),
            { QStringLiteral("-display"), m_display.name(), QStringLiteral("-window"),
                QStringLiteral("root"), QStringLiteral("png:-") });
        if (!grab.waitForFinished(15000))
            return QImage();
        return QImage::fromData(grab.readAllStandardOutput(), "PNG");
    }

    PrivateDisplay m_display;
    LocalService m_service;
    TestEnvironment m_env;
    StagedProgram m_program;
    XdoTool m_xdo { m_display.name() };
};

QTEST_GUILESS_MAIN(ReplayFlowTest)
#include "tst_replayflow.moc"
