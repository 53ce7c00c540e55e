#include "platform/ChildProcess.h"
#include "platform/LinuxPlatform.h"
#include "platform/LinuxProcessTable.h"

#include "TestEnvironment.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using zov::platform::ChildProcess;
using zov::platform::LinuxPlatform;
using zov::platform::LinuxProcessTable;
using zov::platform::MemoryStatus;
using zov::platform::Platform;

namespace {

bool writeExecutable(const QString& path, const QByteArray& script)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(script);
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

// Waits until a descendant of parentPid runs the program named name.
qint64 waitForDescendantNamed(qint64 parentPid, const QString& name)
{
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        const LinuxProcessTable table = LinuxProcessTable::snapshot();
        const QList<qint64> descendants = table.descendantsOf(parentPid);
        for (qint64 pid : descendants) {
            if (table.info(pid).name == name)
                return pid;
        }
        QTest::qWait(20);
    }
    return 0;
}

} // namespace

class TestLinuxPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_environment.isValid());
        m_environment.apply();
    }

    // The kernel's text files, each parse written out as its fields in a row.
    void parsesKernelText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("parsed");

        QTest::newRow("meminfo in kilobytes")
            << "meminfo"
            << QByteArray("MemTotal:        8388608 kB\nMemFree:          100000 kB\n"
                          "MemAvailable:    3670016 kB\nBuffers:           12345 kB\n")
            << "8589934592 3758096384";
        QTest::newRow("meminfo without available")
            << "meminfo" << QByteArray("MemTotal:  1024 kB\nMemFree: 512 kB\n") << "1048576 0";
        QTest::newRow("meminfo similar names ignored")
            << "meminfo"
            << QByteArray("HugeMemTotal: 1 kB\nMemTotal: 2 kB\nMemAvailableX: 9 kB\n"
                          "MemAvailable: 1 kB")
            << "2048 1024";
        QTest::newRow("meminfo empty") << "meminfo" << QByteArray() << "0 0";
        const QByteArray intel = "model name\t: Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz\n";
        QTest::newRow("cpuinfo one model per logical processor")
            << "cpuinfo" << QByteArray("processor\t: 0\n" + intel + "\nprocessor\t: 1\n" + intel)
            << "Name\r\nIntel(R) Core(TM) i5-8250U CPU @ 1.60GHz\r\n";
        QTest::newRow("cpuinfo two models, both listed")
            << "cpuinfo" << QByteArray("model name : Old CPU 1\nmodel name : New CPU 2\n")
            << "Name\r\nOld CPU 1\r\nNew CPU 2\r\n";
        QTest::newRow("cpuinfo without model lines")
            << "cpuinfo" << QByteArray("processor\t: 0\nmodel\t\t: 142\n") << "Name\r\n";
        QTest::newRow("stat with blanks and parentheses in the name")
            << "stat" << QByteArray("77 (a (b) c) Z 1 77 77 0") << "77 1 a (b) c Z";
        QTest::newRow("stat truncated") << "stat" << QByteArray("77 (sleep)") << "invalid";
    }

    void parsesKernelText()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);

        QString parsed;
        zov::platform::LinuxProcessInfo info;
        if (file == QLatin1String("meminfo")) {
            const MemoryStatus status = LinuxPlatform::parseMeminfo(text);
            parsed = QStringLiteral("%1 %2").arg(status.totalBytes).arg(status.availableBytes);
        } else if (file == QLatin1String("cpuinfo")) {
            parsed = LinuxPlatform::processorListFromCpuinfo(text);
        } else if (LinuxProcessTable::parseStat(text, &info)) {
            parsed = QStringLiteral("%1 %2 %3 %4")
                         .arg(info.pid)
                         .arg(info.parentPid)
                         .arg(info.name, QChar::fromLatin1(info.state));
        } else {
            parsed = QStringLiteral("invalid");
        }
        QTEST(parsed, "parsed");
    }

    void killsOnlyOwnDescendants()
    {
        QProcess child;
        child.start("sleep", { QStringLiteral("30") });
        QVERIFY(child.waitForStarted());

        QProcess shell;
        shell.start("sh", { QStringLiteral("-c"), QStringLiteral("sleep 30 & wait") });
        QVERIFY(shell.waitForStarted());
        const qint64 grandchild
            = waitForDescendantNamed(shell.processId(), QStringLiteral("sleep"));
        QVERIFY(grandchild > 0);

        // The shell ends at once, so its background sleep is handed to another parent.
        QProcess orphanMaker;
        orphanMaker.start("sh",
            { QStringLiteral("-c"),
                QStringLiteral("sleep 30 </dev/null >/dev/null 2>&1 & echo $!") });
        QVERIFY(orphanMaker.waitForFinished());
        const qint64 stranger = orphanMaker.readAllStandardOutput().trimmed().toLongLong();
        QVERIFY(stranger > 0);
        QTRY_COMPARE(LinuxProcessTable::snapshot().info(stranger).name, QStringLiteral("sleep"));
        QVERIFY(!LinuxProcessTable::snapshot().isDescendant(stranger, ::getpid()));

        m_platform.killProcessesByImageName(QStringLiteral("sleep.exe"));

        QVERIFY(!LinuxProcessTable::isRunning(child.processId()));
        QVERIFY(!LinuxProcessTable::isRunning(grandchild));
        QVERIFY(LinuxProcessTable::isRunning(stranger));
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY(shell.waitForFinished());

        ::kill(static_cast<pid_t>(stranger), SIGKILL);
        QTRY_VERIFY(!LinuxProcessTable::isRunning(stranger));
    }

    void findTool_data()
    {
        QTest::addColumn<QStringList>("besideProgram");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("expected");

        const QString windowsName = QStringLiteral("zovprobe.exe");
        const QString plainName = QStringLiteral("zovprobe");
        QTest::newRow("windows name beside the program") << QStringList { windowsName,
            plainName } << QStringList { plainName } << QStringLiteral("program/") + windowsName;
        QTest::newRow("plain name beside the program comes before the path")
            << QStringList { plainName } << QStringList { plainName }
            << QStringLiteral("program/") + plainName;
        QTest::newRow("windows name on the path is not looked for")
            << QStringList() << QStringList { windowsName } << QString();
    }

    void findTool()
    {
        QFETCH(QStringList, besideProgram);
        QFETCH(QStringList, onPath);
        QFETCH(QString, expected);

        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.filePath("program");
        const QString path = root.filePath("path");
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(path));
        for (const QString& name : besideProgram)
            QVERIFY(writeExecutable(program + QLatin1Char('/') + name, "#!/bin/sh\n"));
        for (const QString& name : onPath)
            QVERIFY(writeExecutable(path + QLatin1Char('/') + name, "#!/bin/sh\n"));
        // A file that cannot run is no tool, even where the tool is expected.
        QFile notRunnable(program + QStringLiteral("/zovprobe.exe"));
        if (!notRunnable.exists()) {
            QVERIFY(notRunnable.open(QIODevice::WriteOnly));
            notRunnable.close();
        }

        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(path));
        const QString found = Platform::findTool("zovprobe.exe", program);
        qputenv("PATH", savedPath);

        QCOMPARE(found, expected.isEmpty() ? QString() : root.filePath(expected));
    }

    // Another local user can make our folder in the shared temporary folder first, or leave
    // something in its place: it is refused, never used.
    void privateTempFolder_data()
    {
        QTest::addColumn<QString>("found");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("nothing yet") << "" << true;
        QTest::newRow("ours from an earlier run") << "ours" << true;
        QTest::newRow("another user's") << "other" << false;
        QTest::newRow("open to everyone") << "open" << false;
        QTest::newRow("a link to a folder of ours") << "link" << false;
        QTest::newRow("a file") << "file" << false;
    }

    void privateTempFolder()
    {
        QFETCH(QString, found);
        QFETCH(bool, accepted);
        QTemporaryDir temp;
        const QString folder = temp.filePath(QStringLiteral("zov-%1").arg(getuid()));
        const QByteArray path = QFile::encodeName(folder);
        if (found == "ours" || found == "other" || found == "open")
            QCOMPARE(::mkdir(path.constData(), found == "open" ? 0777 : 0700), 0);
        if (found == "open")
            QCOMPARE(::chmod(path.constData(), 0777), 0);
        if (found == "other")
            QVERIFY2(::chown(path.constData(), 65534, 65534) == 0,
                "only root can hand a folder to another user: run this test as root");
        if (found == "link")
            QVERIFY(QDir().mkpath(temp.filePath("elsewhere"))
                && QFile::link(temp.filePath("elsewhere"), folder));
        if (found == "file")
            QVERIFY(writeExecutable(folder, "x"));
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const QString made = m_platform.privateTempFolder();
        qputenv("TMPDIR", savedTemp);
        QCOMPARE(made, accepted ? folder : QString());
        if (accepted)
            QCOMPARE(int(QFileInfo(folder).permissions() & 0x0077), 0);
    }

    // A helper gets none of our descriptors beyond the standard three, and one that serves
    // only us ends with the thread that started it (the whole program, in use).
    void helpersTakeNothingOfOursAndEndWithUs()
    {
        QCOMPARE(::dup2(0, 100), 100);
        ChildProcess lister(ChildProcess::Lifetime::MayOutliveUs);
        lister.start(QStringLiteral("ls"), { QStringLiteral("/proc/self/fd") });
        QVERIFY(lister.waitForFinished());
        ::close(100);
        // The fourth is the one ls reads the folder through.
        QCOMPARE(lister.readAllStandardOutput().split('\n'),
            QList<QByteArray>({ "0", "1", "2", "3", "" }));

        qint64 sleeper = 0;
        std::thread starter([&sleeper] {
            auto* process = new ChildProcess(ChildProcess::Lifetime::EndsWithUs);
            process->start(QStringLiteral("sleep"), { QStringLiteral("60") });
            if (process->waitForStarted())
                sleeper = process->processId();
        });
        starter.join();
        QVERIFY(sleeper > 0);
        QTRY_VERIFY(!LinuxProcessTable::isRunning(sleeper));
    }

private:
    TestEnvironment m_environment;
    LinuxPlatform m_platform;
};

QTEST_MAIN(TestLinuxPlatform)
#include "tst_linuxplatform.moc"
