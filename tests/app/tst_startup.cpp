#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "XdoTool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QLockFile>
#include <QTest>

#include <unistd.h>

using testfiles::writeFile;

namespace {

constexpr int kStartTimeoutMs = 60000;

QByteArray trackText(const TestEnvironment& env)
{
    QFile file(env.dataFolder() + QStringLiteral("/track/track_events.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

// Runs the staged program against the local service, the way a student starts it.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_display.isValid());
        QVERIFY(m_service.start());
    }

    void init()
    {
        m_env.reset(new TestEnvironment);
        m_program.reset(new StagedProgram);
        QVERIFY(m_program->isValid());
        m_service.injectFaults(0, QStringLiteral("error500"));
        // A student who has logged in before is not asked to agree again.
        QVERIFY(m_env->writeAgreementMarker());
    }

    void cleanup()
    {
        QVERIFY(
            m_service.setVersionReply({ { QStringLiteral("scenario"), QStringLiteral("none") } }));
        m_program.reset();
        m_env.reset();
    }

    void startsIntoTheMainWindowAndLogsEachStep_data()
    {
        QTest::addColumn<QByteArray>("netConfig");
        QTest::addColumn<bool>("qtTransport");
        QTest::newRow("no setting file: curl") << QByteArray() << false;
        QTest::newRow("QtNetWorker: Qt") << QByteArray("QtNetWorker") << true;
        QTest::newRow("QtNetWorker inside the text: Qt") << QByteArray("useQtNetWorker2") << true;
        QTest::newRow("other text: curl") << QByteArray("qtnetworker") << false;
    }

    // Another user's lock in the shared temporary folder is none of this program's business.
    // The transport is told by the request itself: only Qt's names a user agent.
    void startsIntoTheMainWindowAndLogsEachStep()
    {
        QFETCH(QByteArray, netConfig);
        QFETCH(bool, qtTransport);
        if (!netConfig.isNull())
            QVERIFY(writeFile(m_env->dataFolder() + QStringLiteral("/setting.ini"),
                "[NetConfig]\nconfig=" + netConfig + '\n'));
        QLockFile othersLock(m_env->temp() + QStringLiteral("/zov_qm_lock_stu"));
        QVERIFY(othersLock.tryLock());
        startProgram();
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        const QByteArray log = m_env->runLogText();
        for (const char* line :
            { qtTransport ? "use Qt net work helper" : "use curl net work helper",
                "Create log path:", "[Application][requestInfo] https://", "onGetConfigResult",
                "[QM] Application::update ==> start", "STATE_NO_EXIST",
                "[QM] Application::update ==> end", "[QM] clear old version files <-- end",
                "/pages/login.html" })
            QVERIFY2(log.contains(line), line);
        QVERIFY(log.indexOf("onGetConfigResult") < log.indexOf("[QM] Application::update"));
        QVERIFY(log.indexOf("STATE_NO_EXIST") < log.indexOf("clear old version files"));
        QCOMPARE(m_program->process().state(), QProcess::Running);
        const QJsonObject request
            = m_service.lastRequest(QStringLiteral("/olbusiness/api/course/init"));
        QCOMPARE(request.value("headers").toObject().contains("User-Agent"), qtTransport);
    }

    void secondInstanceShowsItsBoxAndExitsWithTwo()
    {
        startProgram();
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));

        StagedProgram second;
        second.start(clientEnvironment());
        const QString box = m_xdo.waitForVisibleWindow(second.pid(), kStartTimeoutMs);
        QVERIFY(!box.isEmpty());
        QVERIFY(!second.waitForExit(500));
        QVERIFY(m_xdo.pressKey(box, QStringLiteral("Return")));
        QVERIFY(second.waitForExit(10000));
        QCOMPARE(second.exitCode(), 2);
        QCOMPARE(m_program->process().state(), QProcess::Running);
    }

    // A version request that is never answered neither holds start-up for ever nor keeps
    // the processor busy while it waits.
    void unansweredVersionRequestGivesUpQuietly()
    {
        QVERIFY(m_service.setVersionReply({ { QStringLiteral("scenario"), QStringLiteral("none") },
            { QStringLiteral("delayMs"), 120000 } }));
        startProgram();
        QVERIFY(m_env->waitForRunLog("[QM] Application::update ==> start", kStartTimeoutMs));
        const double cpuBefore = cpuSeconds(m_program->pid());
        QElapsedTimer waited;
        waited.start();
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        const double busy
            = (cpuSeconds(m_program->pid()) - cpuBefore) / (waited.elapsed() / 1000.0);
        QVERIFY2(busy < 0.5, qPrintable(QString::number(busy)));
        QVERIFY(m_env->runLogText().contains("STATE_FAILED"));
    }

    void failedConfigurationIsRetriedOnRequest_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("refused retry exits with 4") << 1000 << QStringList { "Escape" };
        QTest::newRow("two retries, then the main window")
            << 2 << QStringList { "Return", "Return" };
    }

    void failedConfigurationIsRetriedOnRequest()
    {
        QFETCH(int, failures);
        QFETCH(QStringList, keys);
        QVERIFY(m_service.injectFaults(failures, QStringLiteral("error500")));
        startProgram();
        for (const QString& key : keys) {
            const QString box = m_xdo.waitForVisibleWindow(m_program->pid(), kStartTimeoutMs);
            QVERIFY(!box.isEmpty());
            QVERIFY(m_xdo.pressKey(box, key));
            QTRY_VERIFY_WITH_TIMEOUT(!m_xdo.visibleWindows(m_program->pid()).contains(box), 10000);
        }
        if (failures > keys.size()) {
            QVERIFY(m_program->waitForExit(10000));
            QCOMPARE(m_program->exitCode(), 4);
            QVERIFY(m_env->runLogText().contains("Get config failed."));
            return;
        }
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        QCOMPARE(m_env->runLogText().count("[Application][requestInfo]"), keys.size() + 1);
    }

    void unwritableLogFolderExitsWithOne()
    {
        // A file where the log folder belongs cannot be written into, even by root.
        QVERIFY(QDir().mkpath(m_env->dataFolder()));
        QFile blocker(m_env->dataFolder() + QStringLiteral("/logs"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        startProgram();
        QVERIFY(m_program->waitForExit(kStartTimeoutMs));
        QCOMPARE(m_program->exitCode(), 1);
    }

    void clickOnNamedButtonIsTrackedOnce()
    {
        startProgram();
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        const QString window = m_xdo.waitForVisibleWindow(m_program->pid(), kStartTimeoutMs);
        QVERIFY(!window.isEmpty());
        // The about button sits third from the right in the 48-pixel title bar.
        QVERIFY(m_xdo.click(window, 1176, 24));
        QTRY_VERIFY_WITH_TIMEOUT(trackText(*m_env).contains("aboutBtn"), 15000);
        QTest::qWait(500);
        QCOMPARE(trackText(*m_env).count("aboutBtn"), 1);
    }

    // Another user's agreement in the shared temporary folder does not count.
    void firstStartAsksForAgreementAndGoesOn()
    {
        QVERIFY(QFile::remove(m_env->agreementMarker()));
        QVERIFY(QFile(m_env->temp() + QStringLiteral("/zov-stu-agreed-file"))
                    .open(QIODevice::WriteOnly));
        startProgram();
        const QString notice = m_xdo.waitForVisibleWindow(m_program->pid(), kStartTimeoutMs);
        QVERIFY(!notice.isEmpty());
        QVERIFY(!m_env->runLogText().contains("strUrl"));
        // "同意" is the left one of the two buttons at the bottom of the notice.
        QVERIFY(m_xdo.click(notice, 92, 465));
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        QVERIFY(m_env->runLogText().contains("?isagree=true&version=1.6.7.0"));
        QVERIFY(!QFile::exists(m_env->agreementMarker()));
    }

private:
    // User and system time the process has used so far.
    static double cpuSeconds(qint64 pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
    }

    QProcessEnvironment clientEnvironment() const
    {
        return StagedProgram::clientEnvironment(*m_env, m_service, m_display.name());
    }

    void startProgram() { m_program->start(clientEnvironment()); }

    PrivateDisplay m_display;
    XdoTool m_xdo { m_display.name() };
    LocalService m_service;
    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<StagedProgram> m_program;
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
