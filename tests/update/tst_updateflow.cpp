#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "UpdateReplies.h"
#include "XdoTool.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

using namespace updatereplies;

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr int kDownloadTimeoutMs = 120000;
const QString kNewVersion = QStringLiteral("1.6.8.7");

// Spots inside the 500-pixel-wide offer dialog and the updating dialog.
const QPoint kOfferUpdateAlone(250, 335);
const QPoint kOfferLater(295, 335);
const QPoint kUpdatingRestart(240, 308);
const QPoint kUpdatingCancel(320, 338);
const QPoint kQuitConfirm(129, 154);

enum Package
{
    Full,
    WrongChecksum,
    Slow
};

// Processes running the program file at path: the restarted program is not our child.
QList<qint64> processesRunning(const QString& path)
{
    QList<qint64> pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid && QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry)) == path)
            pids.append(pid);
    }
    return pids;
}

// Download tools still writing into folder.
int downloadsInto(const QString& folder)
{
    int count = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray arguments = cmdline.readAll();
        if (arguments.startsWith(
                QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("curl"))))
            && arguments.contains(QFile::encodeName(folder)))
            ++count;
    }
    return count;
}

void endProcessesRunning(const QString& path)
{
    for (qint64 pid : processesRunning(path))
        ::kill(pid_t(pid), SIGKILL);
}

QString configVersion(const QString& launcherDir, const QString& key = QStringLiteral("ver"))
{
    return QSettings(launcherDir + QStringLiteral("/config.ini"), QSettings::IniFormat)
        .value(QStringLiteral("version/") + key)
        .toString();
}

} // namespace

// The staged program updating itself against the local service, driven through its
// dialogs the way a student would.
class UpdateFlowTest : public QObject
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
        QVERIFY(m_env->writeAgreementMarker());
    }

    void cleanup()
    {
        endProcessesRunning(newProgramPath());
        m_program.reset();
        m_env.reset();
    }

    // A forced offer leaves the download as the only choice; how that ends decides whether
    // the program restarts into the new version or ends as it was.
    void forcedUpdate_data()
    {
        QTest::addColumn<int>("package");
        // The updating dialog's title when it is answered, and where it is clicked; nowhere
        // means Escape.
        QTest::addColumn<QString>("title");
        QTest::addColumn<QPoint>("answer");
        QTest::addColumn<bool>("updated");

        QTest::newRow("downloaded, restarted")
            << int(Full) << QStringLiteral("下载完成") << kUpdatingRestart << true;
        QTest::newRow("download failed, cancelled")
            << int(WrongChecksum) << QStringLiteral("下载失败") << kUpdatingCancel << false;
        QTest::newRow("dismissed during the download")
            << int(Slow) << QStringLiteral("正在下载") << QPoint() << false;
    }

    void forcedUpdate()
    {
        QFETCH(int, package);
        QFETCH(QString, title);
        QFETCH(QPoint, answer);
        QFETCH(bool, updated);
        const QJsonObject offer = forcedOffer(Package(package));
        QVERIFY(!offer.isEmpty() && m_service.setVersionReply(offer));
        startProgram();

        const QString offerWindow = waitForWindow(QStringLiteral("发现更新"));
        QVERIFY(!offerWindow.isEmpty());
        QVERIFY(m_xdo.click(offerWindow, kOfferUpdateAlone.x(), kOfferUpdateAlone.y()));
        const QString updating = waitForWindow(title, kDownloadTimeoutMs);
        QVERIFY(!updating.isEmpty());
        if (package == Slow)
            QTRY_VERIFY_WITH_TIMEOUT(downloadsInto(m_env->temp()) == 1, 10000);
        if (answer.isNull()) {
            // Escape asks first, as the close button does.
            QVERIFY(m_xdo.pressKey(updating, QStringLiteral("Escape")));
            const QString question = waitForWindow(QStringLiteral("退出更新"));
            QVERIFY(!question.isEmpty());
            QVERIFY(m_xdo.click(question, kQuitConfirm.x(), kQuitConfirm.y()));
        } else {
            QVERIFY(m_xdo.click(updating, answer.x(), answer.y()));
        }
        QVERIFY(m_program->waitForExit(kStartTimeoutMs));
        QCOMPARE(m_program->exitCode(), 3);
        QCOMPARE(downloadsInto(m_env->temp()), 0);
        QCOMPARE(configVersion(m_program->launcherDir()), updated ? kNewVersion : kLocalVersion);
        QCOMPARE(QFile::exists(m_program->launcherDir() + QLatin1Char('/') + kNewVersion), updated);
        if (!updated)
            return;

        QCOMPARE(
            configVersion(m_program->launcherDir(), QStringLiteral("number")), QStringLiteral("7"));
        // The uninstall entry, in the settings file that stands for the registry here.
        QSettings registry(
            m_env->home() + QStringLiteral("/.config/zov/registry.conf"), QSettings::IniFormat);
        QCOMPARE(registry.value(QStringLiteral("HKEY_LOCAL_MACHINE/Software/Microsoft/Windows/"
                                               "CurrentVersion/Uninstall/Zov1对1学生版/"
                                               "DisplayVersion")),
            QVariant(kNewVersion));
        // The new version starts from its own folder and clears the old one away.
        QVERIFY(m_env->waitForRunLog("[QM] clear old version files <-- end", kStartTimeoutMs));
        QVERIFY(!processesRunning(newProgramPath()).isEmpty());
        const QByteArray log = m_env->runLogText();
        QVERIFY(log.contains("local version  " + kNewVersion.toLatin1()));
        QVERIFY(log.contains("[QM] rm ==>  " + m_program->versionDir().toUtf8()));
        QVERIFY(!QFile::exists(m_program->versionDir()));
    }

    // "Later" puts the optional offer off until tomorrow. With nowhere to keep that it would
    // come back for ever, so it is asked once more and then left for the next start.
    void optionalOfferPutOff_data()
    {
        QTest::addColumn<bool>("settingsWritable");
        QTest::addColumn<int>("offers");
        // How the start-up check left the offer.
        QTest::addColumn<QByteArray>("logLine");

        QTest::newRow("until tomorrow") << true << 1 << QByteArray("[QM] Ignore the Version");
        QTest::newRow("nowhere to keep it") << false << 2 << QByteArray("offer left undecided");
    }

    void optionalOfferPutOff()
    {
        QFETCH(bool, settingsWritable);
        QFETCH(int, offers);
        QFETCH(QByteArray, logLine);
        QVERIFY(m_service.setVersionReply(updateReply(kNewVersion, 1, 1)));
        // A folder where the settings file belongs cannot be written, even by root.
        if (!settingsWritable)
            QVERIFY(QDir().mkpath(m_env->dataFolder() + QStringLiteral("/setting.ini")));
        startProgram();
        for (int offer = 0; offer < offers; ++offer) {
            const QString dialog = waitForWindow(QStringLiteral("发现更新"));
            QVERIFY(!dialog.isEmpty());
            QVERIFY(m_xdo.click(dialog, kOfferLater.x(), kOfferLater.y()));
            QTRY_VERIFY_WITH_TIMEOUT(
                !m_xdo.visibleWindows(m_program->pid()).contains(dialog), 10000);
        }
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        if (settingsWritable) {
            QSettings settings(
                m_env->dataFolder() + QStringLiteral("/setting.ini"), QSettings::IniFormat);
            QCOMPARE(settings.value(QStringLiteral("update/StartupTs")).toString(),
                QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
            QCOMPARE(settings.value(QStringLiteral("update/LaterAttention")).toInt(), 1);
            m_program->terminate();
            // The next run's log is the one to read.
            QDir logs(m_env->dataFolder() + QStringLiteral("/logs"));
            for (const QString& log : logs.entryList(QDir::Files))
                QVERIFY(logs.remove(log));
            startProgram();
            QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        }
        QVERIFY(m_env->runLogText().contains(logLine));
    }

private:
    QString newProgramPath() const
    {
        return m_program->launcherDir() + QLatin1Char('/') + kNewVersion
            + QStringLiteral("/zovwx1v1_Student");
    }

    // The forced offer of kNewVersion, empty when its package cannot be built. Only the full
    // package is one; the others are 8 MiB of filler, one served slowly enough to be caught
    // while it downloads.
    QJsonObject forcedOffer(Package package)
    {
        QByteArray content(8 << 20, 'z');
        const QString built = m_env->root() + QStringLiteral("/package.zip");
        if (package == Full) {
            if (!m_program->buildFullPackage(kNewVersion, built))
                return {};
            content = testfiles::readFile(built);
        }
        const QString name = QStringLiteral("zov_1.6.8.0.zip");
        const QString md5 = QString::fromLatin1(m_service.servePackage(name, content));
        return updateReply(kNewVersion, 2, 1, package == WrongChecksum ? kUnusedMd5 : md5,
            { m_service.packageUrl(name, package == Slow).toString() });
    }

    QString waitForWindow(const QString& title, int timeoutMs = kStartTimeoutMs) const
    {
        return m_xdo.waitForVisibleWindow(m_program->pid(), title, timeoutMs);
    }

    void startProgram()
    {
        m_program->start(StagedProgram::clientEnvironment(*m_env, m_service, m_display.name()));
    }

    PrivateDisplay m_display;
    XdoTool m_xdo { m_display.name() };
    LocalService m_service;
    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<StagedProgram> m_program;
};

QTEST_GUILESS_MAIN(UpdateFlowTest)
#include "tst_updateflow.moc"
