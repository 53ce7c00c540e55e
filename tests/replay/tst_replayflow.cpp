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
        QTRY_VERIFY_WITH_TIMEOUT(
            pixelsLike(screenshot(), QColor(0xFF, 0xEE, 0xBB)) > 100000, 10000);

        const QStringList before = m_xdo.visibleWindows(m_program.pid());
        QVERIFY(m_xdo.click(window, kBackButton.x(), kBackButton.y()));
        QString box;
        QTRY_VERIFY_WITH_TIMEOUT(!(box = newWindow(before)).isEmpty(), 10000);
        QVERIFY(m_xdo.pressKey(box, QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_xdo.waitForVisibleWindow(m_program.pid(), kReplayTitle, 100).isEmpty(), 10000);
        QCOMPARE(m_program.process().state(), QProcess::Running);
    }

    // The support tool opens the lesson with its whiteboard: the teacher's drawing of
    // the first seconds shows over the courseware video.
    void viewerDrawsTheRecordedWhiteboard()
    {
        QProcess viewer;
        viewer.setProcessEnvironment(
            StagedProgram::clientEnvironment(m_env, m_service, m_display.name()));
        viewer.setWorkingDirectory(m_program.versionDir());
        viewer.setProcessChannelMode(QProcess::MergedChannels);
        viewer.start(m_program.versionDir() + QStringLiteral("/ZovReplayViewer"),
            { QStringLiteral("--lesson"),
                m_service.apiBaseUrl().toString()
                    + QStringLiteral("/olbusiness/api/playback/getReplayEnterUrl?planId=20475") });
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT(
            (output += viewer.readAll()).contains("onDrawFinished"), kStartTimeoutMs);
        QVERIFY(waitForPixels(QColor(0xD3, 0x2F, 0x2F), 300));
        viewer.terminate();
        QVERIFY(viewer.waitForFinished(10000));
    }

private:
    // A screenshot takes a while, so the wait counts time rather than tries.
    bool waitForPixels(const QColor& colour, int minimum) const
    {
        const QDeadlineTimer deadline(kPixelTimeoutMs);
        while (!deadline.hasExpired()) {
            if (pixelsLike(screenshot(), colour) > minimum)
                return true;
            QTest::qWait(200);
        }
        return false;
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
