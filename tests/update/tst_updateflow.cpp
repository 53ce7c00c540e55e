#include "LocalService.h"
#include "PrivateDisplay.h"
#include "StagedProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "XdoTool.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr int kDownloadTimeoutMs = 120000;
const QString kNewVersion = QStringLiteral("1.6.8.7");

// Spots inside the 500-pixel-wide offer dialog and the updating dialog.
const QPoint kOfferUpdateAlone(250, 335);
const QPoint kOfferLater(295, 335);
const QPoint kUpdatingRestart(240, 308);
const QPoint kUpdatingCancel(320, 338);

QJsonObject updateReply(int updateType, const QByteArray& md5, const QString& url)
{
    return { { QStringLiteral("scenario"), QStringLiteral("update") },
        { QStringLiteral("version"), kNewVersion }, { QStringLiteral("updateType"), updateType },
        { QStringLiteral("packType"), 1 }, { QStringLiteral("md5"), QString::fromLatin1(md5) },
        { QStringLiteral("updateMsg"),
            QStringLiteral("1. 回放支持倍速播放\n2. 修复上课时偶发的卡顿") },
        { QStringLiteral("urls"), QJsonArray { url } } };
}

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

    void forcedUpdateRestartsIntoTheNewVersion()
    {
        const QString package = m_service.packagesFolder() + QStringLiteral("/zov_1.6.8.0.zip");
        QVERIFY(m_program->buildFullPackage(kNewVersion, package));
        QVERIFY(m_service.setVersionReply(
            updateReply(2, testfiles::md5Hex(testfiles::readFile(package)),
                QStringLiteral("/packages/zov_1.6.8.0.zip"))));
        startProgram();

        const QString offer = waitForWindow(QStringLiteral("发现更新"));
        QVERIFY(!offer.isEmpty());
        QVERIFY(m_xdo.click(offer, kOfferUpdateAlone.x(), kOfferUpdateAlone.y()));
        const QString done = waitForWindow(QStringLiteral("下载完成"), kDownloadTimeoutMs);
        QVERIFY(!done.isEmpty());
        QCOMPARE(configVersion(m_program->launcherDir()), kNewVersion);
        QCOMPARE(
            configVersion(m_program->launcherDir(), QStringLiteral("number")), QStringLiteral("7"));
        // The uninstall entry, in the settings file that stands for the registry here.
        QSettings registry(
            m_env->home() + QStringLiteral("/.config/zov/registry.conf"), QSettings::IniFormat);
        QCOMPARE(registry.value(QStringLiteral("HKEY_LOCAL_MACHINE/Software/Microsoft/Windows/"
                                               "CurrentVersion/Uninstall/Zov1对1学生版/"
                                               "DisplayVersion")),
            QVariant(kNewVersion));
        QVERIFY(m_xdo.click(done, kUpdatingRestart.x(), kUpdatingRestart.y()));
        QVERIFY(m_program->waitForExit(kStartTimeoutMs));
        QCOMPARE(m_program->exitCode(), 3);

        // The new version starts from its own folder and clears the old one away.
        QVERIFY(m_env->waitForRunLog("[QM] clear old version files <-- end", kStartTimeoutMs));
        QVERIFY(!processesRunning(newProgramPath()).isEmpty());
        const QByteArray log = m_env->runLogText();
        QVERIFY(log.contains("local version  " + kNewVersion.toLatin1()));
        QVERIFY(log.contains("[QM] rm ==>  " + m_program->versionDir().toUtf8()));
        QVERIFY(!QFile::exists(m_program->versionDir()));
    }

    void cancelAfterFailedForcedDownloadEndsTheProgram()
    {
        QVERIFY(m_service.setVersionReply(updateReply(
            2, "0123456789abcdef0123456789abcdef", QStringLiteral("/packages/broken"))));
        startProgram();

        const QString offer = waitForWindow(QStringLiteral("发现更新"));
        QVERIFY(!offer.isEmpty());
        QVERIFY(m_xdo.click(offer, kOfferUpdateAlone.x(), kOfferUpdateAlone.y()));
        const QString failed = waitForWindow(QStringLiteral("下载失败"), kDownloadTimeoutMs);
        QVERIFY(!failed.isEmpty());
        QVERIFY(m_xdo.click(failed, kUpdatingCancel.x(), kUpdatingCancel.y()));
        QVERIFY(m_program->waitForExit(kStartTimeoutMs));
        QCOMPARE(m_program->exitCode(), 3);
        QCOMPARE(configVersion(m_program->launcherDir()), QStringLiteral("1.6.7.0"));
        QVERIFY(!QFile::exists(m_program->launcherDir() + QLatin1Char('/') + kNewVersion));
    }

    void forcedUpdateDismissedDuringDownloadEndsTheProgram()
    {
        const QByteArray md5 = m_service.servePackage(
            QStringLiteral("zov_large_1.6.8.0.zip"), QByteArray(8 << 20, 'z'));
        QVERIFY(!md5.isEmpty());
        QVERIFY(m_service.setVersionReply(updateReply(2, md5,
            m_service.packageUrl(QStringLiteral("zov_large_1.6.8.0.zip"), true).toString())));
        startProgram();

        const QString offer = waitForWindow(QStringLiteral("发现更新"));
        QVERIFY(!offer.isEmpty());
        QVERIFY(m_xdo.click(offer, kOfferUpdateAlone.x(), kOfferUpdateAlone.y()));
        const QString updating = waitForWindow(QStringLiteral("正在下载"));
        QVERIFY(!updating.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(downloadsInto(m_env->temp()) == 1, 10000);
        QVERIFY(m_xdo.pressKey(updating, QStringLiteral("Escape")));
        QVERIFY(m_program->waitForExit(kStartTimeoutMs));
        QCOMPARE(m_program->exitCode(), 3);
        QCOMPARE(downloadsInto(m_env->temp()), 0);
    }

    void optionalOfferDeferredUntilTomorrow()
    {
        QVERIFY(m_service.setVersionReply(updateReply(
            1, "0123456789abcdef0123456789abcdef", QStringLiteral("/packages/unused.zip"))));
        startProgram();
        const QString offer = waitForWindow(QStringLiteral("发现更新"));
        QVERIFY(!offer.isEmpty());
        QVERIFY(m_xdo.click(offer, kOfferLater.x(), kOfferLater.y()));
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
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
        QVERIFY(m_env->runLogText().contains("[QM] Ignore the Version"));
    }

    // With nowhere to keep "later" the offer would come back for ever; it is asked once
    // more and then left for the next start.
    void offerThatCannotBePutOffIsAskedTwiceOnly()
    {
        QVERIFY(m_service.setVersionReply(updateReply(
            1, "0123456789abcdef0123456789abcdef", QStringLiteral("/packages/unused.zip"))));
        // A folder where the settings file belongs cannot be written, even by root.
        QVERIFY(QDir().mkpath(m_env->dataFolder() + QStringLiteral("/setting.ini")));
        startProgram();
        for (int offer = 0; offer < 2; ++offer) {
            const QString dialog = waitForWindow(QStringLiteral("发现更新"));
            QVERIFY(!dialog.isEmpty());
            QVERIFY(m_xdo.click(dialog, kOfferLater.x(), kOfferLater.y()));
            QTRY_VERIFY_WITH_TIMEOUT(
                !m_xdo.visibleWindows(m_program->pid()).contains(dialog), 10000);
        }
        QVERIFY(m_env->waitForRunLog("strUrl", kStartTimeoutMs));
        QVERIFY(m_env->runLogText().contains("offer left undecided"));
    }

private:
    QString newProgramPath() const
    {
        return m_program->launcherDir() + QLatin1Char('/') + kNewVersion
            + QStringLiteral("/zovwx1v1_Student");
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
