#include "TestEnvironment.h"

#include "core/BoundedLineReader.h"
#include "track/Track.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <signal.h>

namespace {

const int kInitTrackFailed = 2;
// The tracking process checks on the main process twice a second; this leaves room
// for a slow, busy machine.
const int kTrackingExitWaitMs = 15000;

// Finds the tracking process of a main process by its command line.
qint64 trackingProcessOf(qint64 mainPid)
{
    const QByteArray wanted
        = QByteArray(track::kTrackProcessArgument) + '\0' + QByteArray::number(mainPid) + '\0';
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(wanted))
            return entry.toLongLong();
    }
    return 0;
}

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 1).trimmed().startsWith('Z');
}

QList<QJsonObject> readRecords(const QString& path)
{
    QList<QJsonObject> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.isEmpty())
            records.append(QJsonDocument::fromJson(line).object());
    }
    return records;
}

QByteArray readLineFrom(QProcess& process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(10000))
            return QByteArray();
    }
    return process.readLine().trimmed();
}

} // namespace

class TestTrack : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_environment.isValid());
        m_environment.apply();
    }

    void recordsArriveOnceInOrder_data()
    {
        QTest::addColumn<int>("beforeStart");
        QTest::addColumn<int>("whileConnecting");
        QTest::addColumn<int>("afterConnected");
        QTest::addColumn<bool>("mainKilled");

        QTest::newRow("pushed early wait for the connection") << 3 << 4 << 5 << false;
        // Started by its delay, not by a record.
        QTest::newRow("nothing pushed while starting") << 3 << 0 << 5 << false;
        QTest::newRow("many") << 300 << 300 << 1000 << false;
        QTest::newRow("main process killed") << 2 << 2 << 20 << true;
    }

    void recordsArriveOnceInOrder()
    {
        QFETCH(int, beforeStart);
        QFETCH(int, whileConnecting);
        QFETCH(int, afterConnected);
        QFETCH(bool, mainKilled);

        TestEnvironment environment;
        QProcess host;
        host.setProcessEnvironment(environment.environment());
        host.start(QStringLiteral(TRACK_HOST),
            { QString::number(beforeStart), QString::number(whileConnecting),
                QString::number(afterConnected) });
        QVERIFY(host.waitForStarted());
        const qint64 mainPid = readLineFrom(host).toLongLong();
        QCOMPARE(mainPid, host.processId());
        QCOMPARE(readLineFrom(host), QByteArray("connected"));
        const qint64 trackingPid = trackingProcessOf(mainPid);
        QVERIFY(trackingPid > 0);

        if (mainKilled)
            ::kill(static_cast<pid_t>(mainPid), SIGKILL);
        else
            host.closeWriteChannel();
        QVERIFY(host.waitForFinished());
        if (!mainKilled)
            QCOMPARE(host.exitCode(), 0);

        QTRY_VERIFY_WITH_TIMEOUT(processGone(trackingPid), kTrackingExitWaitMs);

        const QList<QJsonObject> records = readRecords(
            environment.home() + QStringLiteral("/zov_qm_student/track/track_events.jsonl"));
        const int total = beforeStart + whileConnecting + afterConnected;
        QCOMPARE(records.size(), total);
        for (int i = 0; i < total; ++i) {
            const QJsonObject& record = records.at(i);
            const int phase = i < beforeStart ? 0 : i < beforeStart + whileConnecting ? 1 : 2;
            QCOMPARE(record.value(QStringLiteral("type")).toInt(-1), i);
            QCOMPARE(record.value(QStringLiteral("subType")).toInt(-1), phase);
            QCOMPARE(record.value(QStringLiteral("time")).toDouble(), 4000000000.0 + i);
            QCOMPARE(record.value(QStringLiteral("data")),
                QJsonValue(
                    QJsonArray { QStringLiteral("记录 \"%1\"\n").arg(i), QString(), QString() }));
        }
    }

    void linesAreBounded_data()
    {
        const qint64 most = BoundedLineReader::maxLineBytes;
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("withinLimit");
        QTest::newRow("whole lines, a part waiting") << QByteArray("a\nb\nc") << 2 << true;
        QTest::newRow("the longest line") << QByteArray(most - 1, 'x') + '\n' << 1 << true;
        QTest::newRow("one byte longer") << QByteArray("a\n") + QByteArray(most, 'x') + '\n'
                                         << 1 << false;
        QTest::newRow("never ended") << QByteArray(most + 1, 'x') << 0 << false;
    }

    void linesAreBounded()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, lines);
        QFETCH(bool, withinLimit);
        QBuffer buffer(&sent);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        int read = 0;
        QCOMPARE(BoundedLineReader::readLines(buffer, [&read](const QByteArray&) { ++read; }),
            withinLimit);
        QCOMPARE(read, lines);
    }

    void trackingProcessEndsWhenMainNeverConnects()
    {
        QProcess silentMain;
        silentMain.start(QStringLiteral("sleep"), { QStringLiteral("60") });
        QVERIFY(silentMain.waitForStarted());

        QProcess tracking;
        tracking.setProcessEnvironment(m_environment.environment());
        tracking.start(QStringLiteral(TRACK_HOST),
            { QString::fromLatin1(track::kTrackProcessArgument),
                QString::number(silentMain.processId()) });
        QVERIFY(tracking.waitForStarted());

        QLocalSocket probe;
        QTRY_VERIFY([&] {
            probe.abort();
            probe.connectToServer(track::TrackServerName(silentMain.processId()));
            return probe.waitForConnected(100);
        }());
        // A peer that never ends its line is dropped rather than buffered for.
        probe.write(QByteArray(2 * BoundedLineReader::maxLineBytes, 'x'));
        QTRY_COMPARE(probe.state(), QLocalSocket::UnconnectedState);
        QVERIFY(QFile::exists(track::TrackFilePath()));
        QCOMPARE(tracking.state(), QProcess::Running);

        silentMain.kill();
        QVERIFY(silentMain.waitForFinished());
        QVERIFY(tracking.waitForFinished(kTrackingExitWaitMs));
        QCOMPARE(tracking.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tracking.exitCode(), 0);
    }

    void refusesWithoutLiveMainProcess_data()
    {
        QTest::addColumn<QStringList>("arguments");

        // Its id is taken while it runs: a finished QProcess no longer tells it.
        QProcess finished;
        finished.start(QStringLiteral("true"), QStringList());
        finished.waitForStarted();
        const qint64 finishedPid = finished.processId();
        finished.waitForFinished();
        const QString marker = QString::fromLatin1(track::kTrackProcessArgument);
        QTest::newRow("no process id") << QStringList { marker };
        QTest::newRow("not a number") << QStringList { marker, QStringLiteral("main") };
        QTest::newRow("process gone") << QStringList { marker, QString::number(finishedPid) };
    }

    void refusesWithoutLiveMainProcess()
    {
        QFETCH(QStringList, arguments);

        QProcess tracking;
        tracking.setProcessEnvironment(m_environment.environment());
        tracking.start(QStringLiteral(TRACK_HOST), arguments);
        QVERIFY(tracking.waitForFinished());
        QCOMPARE(tracking.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tracking.exitCode(), kInitTrackFailed);
    }

private:
    TestEnvironment m_environment;
};

QTEST_GUILESS_MAIN(TestTrack)
#include "tst_track.moc"
