#include "app/Settings.h"
#include "platform/LinuxProcessTable.h"
#include "platform/Platform.h"
#include "replay/CurlHttpDownLoader.h"
#include "replay/ReplayDataDownLoader.h"

#include "LocalService.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using DataResource = ReplayDataDownLoader::DataResource;

namespace {

const QString smallFile = QStringLiteral("/replaydata/a1.txt");
const QHash<QString, QString> digests {
    { QStringLiteral("a1.txt"), QStringLiteral("289877cef5b663f3078b0e4194b3a23a") },
    { QStringLiteral("a2.txt"), QStringLiteral("ff0ba43b4f27e4c078b5733c461c742a") },
    { QStringLiteral("a3.txt"), QStringLiteral("92d40778068cfc5bb3d9661f2e97c22c") },
};
// The meter as curl writes it on standard error: two header lines, then one line per update.
const QString meterHeader = QStringLiteral(
    "  % Total    % Received % Xferd  Average Speed   Time    Time     Time  Current");
const QString meterUnits = QStringLiteral(
    "                                 Dload  Upload   Total   Spent    Left  Speed");
const QString meterLine = QStringLiteral(
    "100  1234  100  1234    0     0  12345      0 --:--:-- --:--:-- --:--:-- 12345");

// Retries wait a few seconds, so a list with one retry needs more than QTRY's default.
const int listTimeoutMs = 30000;

// A loopback port on which nobody listens.
int closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

QList<int> emittedIndexes(const QSignalSpy& spy)
{
    QList<int> indexes;
    for (const QList<QVariant>& arguments : spy)
        indexes.append(arguments.first().value<DataResource>().index);
    return indexes;
}

} // namespace

// The download workers against real curl and the local service: one file through the tool,
// and the queue of a lesson's replay data files over it.
class DownloadWorkersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        QVERIFY(m_service.start());
        QVERIFY(!zov::platform::Platform::findTool(QStringLiteral("curl.exe")).isEmpty());
    }

    void progressLineRule_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("percent");

        QTest::newRow("header line") << meterHeader << true << 0;
        QTest::newRow("units line") << meterUnits << false << 0;
        QTest::newRow("meter line") << meterLine << true << 100;
        QTest::newRow("two meter lines in one chunk")
            << meterLine + QLatin1Char('\r') + meterLine << false << 0;
        QTest::newRow("nothing") << QString() << false << 0;
    }

    void progressLineRule()
    {
        QFETCH(QString, chunk);
        QFETCH(bool, accepted);
        QFETCH(int, percent);

        const QStringList fields = CurlHttpDownLoader::meterFields(chunk);
        QCOMPARE(fields.size(), accepted ? 12 : 0);
        if (accepted)
            QCOMPARE(fields.first().toInt(), percent);
    }

    // What the tool is asked, how it ends and what it leaves; only a download that lasts some
    // seconds gets meter lines one at a time.
    void downloads_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("partialBytes");
        QTest::addColumn<bool>("resume");
        QTest::addColumn<QString>("leadingArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<bool>("progress");

        const QString web = m_service.webBaseUrl().toString();
        const QString api = m_service.apiBaseUrl().toString();
        const QString plain = QStringLiteral("-f -k -L ");
        const QString smallMd5 = digests.value(QStringLiteral("a1.txt"));
        const QByteArray slowMd5
            = m_service.servePackage(QStringLiteral("meter.bin"), QByteArray(1536 * 1024, 'm'));
        QTest::newRow("slow file with progress")
            << m_service.packageUrl(QStringLiteral("meter.bin"), true).toString() << -1 << false
            << plain << 0 << QString::fromLatin1(slowMd5) << true;
        QTest::newRow("missing file") << web + QStringLiteral("/replaydata/none.txt") << -1 << false
                                      << plain << 22 << QString() << false;
        // The service's certificate is its own; the tool gets as far as the answer.
        QTest::newRow("missing over https") << api + QStringLiteral("/replaydata/none.txt") << -1
                                            << false << plain << 22 << QString() << false;
        QTest::newRow("unreachable host")
            << QStringLiteral("http://127.0.0.1:%1/a1.txt").arg(closedPort()) << -1 << false
            << plain << 7 << QString() << false;
        QTest::newRow("resume after partial file")
            << web + smallFile << 500 << true << "-C 500 -k -L " << 0 << smallMd5 << false;
        QTest::newRow("resume without file")
            << web + smallFile << -1 << true << plain << 0 << smallMd5 << false;
        QTest::newRow("no resume over partial file")
            << web + smallFile << 500 << false << plain << 0 << smallMd5 << false;
    }

    void downloads()
    {
        QFETCH(QString, url);
        QFETCH(int, partialBytes);
        QFETCH(bool, resume);
        QFETCH(QString, leadingArgs);
        QFETCH(int, exitCode);
        QFETCH(QString, md5);
        QFETCH(bool, progress);

        const QString dst = m_env.root() + QStringLiteral("/%1.txt").arg(QTest::currentDataTag());
        if (partialBytes >= 0) {
            QFile served(QStringLiteral(ZOV_WWW_DIR) + smallFile);
            QVERIFY(served.open(QIODevice::ReadOnly));
            QVERIFY(testfiles::writeFile(dst, served.read(partialBytes)));
        }
        QTest::ignoreMessage(QtDebugMsg,
            qPrintable(QStringLiteral("download args: ") + leadingArgs + url
                + QStringLiteral(" -o ") + dst));
        QTest::ignoreMessage(QtDebugMsg,
            qPrintable(QStringLiteral("download finished: %1 NormalExit").arg(exitCode)));
        CurlHttpDownLoader loader(nullptr);
        QSignalSpy meter(&loader, &CurlHttpDownLoader::progress);
        QSignalSpy finished(&loader, &CurlHttpDownLoader::curlFinished);
        loader.start(url, dst, resume);
        QVERIFY(finished.wait(30000));

        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first(), QVariantList({ md5.isEmpty() ? -1 : 0, dst }));
        QCOMPARE(QFile::exists(dst), !md5.isEmpty());
        QVERIFY(md5.isEmpty() || compareFileMd5(dst, md5));
        int most = 0;
        for (const QList<QVariant>& value : qAsConst(meter)) {
            QVERIFY(value.first().toInt() >= 0 && value.first().toInt() <= 100);
            most = qMax(most, value.first().toInt());
        }
        QCOMPARE(most > 0, progress);
    }

    void destroyingTheWorkerEndsTheDownload()
    {
        // A slow answer keeps the tool running while its worker goes away.
        QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), 3000));
        auto* loader = new CurlHttpDownLoader(nullptr);
        QSignalSpy finished(loader, &CurlHttpDownLoader::curlFinished);
        const QString path = QStringLiteral("/replaydata/slow.txt");
        loader->start(m_service.apiBaseUrl().toString() + path, m_env.root() + path, false);
        QTRY_COMPARE_WITH_TIMEOUT(m_service.requestCount(path), 1, 10000);
        QCOMPARE(runningCurlChildren(), 1);

        delete loader;
        QCOMPARE(runningCurlChildren(), 0);
        QCOMPARE(finished.size(), 0);
    }

    void fileNaming_data()
    {
        QTest::addColumn<QDateTime>("startTime");
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("afternoon list")
            << QDateTime(QDate(2026, 12, 4), QTime(13, 5, 20))
            << QStringList { QStringLiteral("http://h/x/b.txt"), QStringLiteral("http://h/c.txt"),
                   QStringLiteral("https://cdn.example/p/q/a1.txt") }
            << QStringList { QStringLiteral("1204130520_0_b.txt"),
                   QStringLiteral("1204130520_1_c.txt"), QStringLiteral("1204130520_2_a1.txt") };
        QTest::newRow("same url twice, early morning")
            << QDateTime(QDate(2026, 1, 9), QTime(8, 7, 6))
            << QStringList { QStringLiteral("http://h/a1.txt"), QStringLiteral("http://h/a1.txt") }
            << QStringList { QStringLiteral("0109080706_0_a1.txt"),
                   QStringLiteral("0109080706_1_a1.txt") };
        QTest::newRow("late evening, names reduced to a plain file name")
            << QDateTime(QDate(2026, 10, 31), QTime(23, 59, 59))
            << QStringList { QStringLiteral("http://h/d/e.dat?v=2#x"),
                   QStringLiteral("http://h/d/.."), QStringLiteral("http://h/d/a%2F..%2Fb"),
                   QStringLiteral("http://h/") }
            << QStringList { QStringLiteral("1031235959_0_e.dat"),
                   QStringLiteral("1031235959_1_replaydata"), QStringLiteral("1031235959_2_b"),
                   QStringLiteral("1031235959_3_replaydata") };
        QTest::newRow("empty list")
            << QDateTime(QDate(2026, 5, 1), QTime(0, 0)) << QStringList() << QStringList();
    }

    void fileNaming()
    {
        QFETCH(QDateTime, startTime);
        QFETCH(QStringList, urls);
        QFETCH(QStringList, names);

        QJsonArray replayData;
        for (const QString& url : urls)
            replayData.append(QJsonObject { { QStringLiteral("url"), url } });
        const QString folder
            = m_env.home() + QStringLiteral("/zov_qm_student/ZovCache/1v1playback/");
        QDir(folder).removeRecursively();

        const QVector<DataResource> tasks
            = ReplayDataDownLoader::tasksForReplayData(replayData, startTime);
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(tasks.size(), names.size());
        for (int i = 0; i < tasks.size(); ++i)
            QCOMPARE(tasks.at(i).localPath, folder + names.at(i));
    }

    void queueOrder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("failingOnce");
        QTest::addColumn<QList<int>>("order");

        const QStringList three { QStringLiteral("a1.txt"), QStringLiteral("a2.txt"),
            QStringLiteral("a3.txt") };
        QTest::newRow("empty list") << QStringList() << -1 << QList<int>();
        QTest::newRow("in list order") << three << -1 << QList<int> { 0, 1, 2 };
        QTest::newRow("second fails once") << three << 1 << QList<int> { 0, 2, 1 };
        QTest::newRow("first fails once") << three << 0 << QList<int> { 1, 2, 0 };
        QTest::newRow("same file twice")
            << QStringList { QStringLiteral("a2.txt"), QStringLiteral("a2.txt") } << -1
            << QList<int> { 0, 1 };
    }

    // A file fails once because its folder is missing until every other file is in.
    void queueOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(int, failingOnce);
        QFETCH(QList<int>, order);

        QVector<DataResource> tasks = tasksFor(files);
        const QString lateFolder
            = m_env.root() + QStringLiteral("/late-") + QTest::currentDataTag();
        if (failingOnce >= 0)
            tasks[failingOnce].localPath = lateFolder + QStringLiteral("/file.txt");

        ReplayDataDownLoader downloader(nullptr);
        QSignalSpy emitted(&downloader, &ReplayDataDownLoader::downloadDataResourse);
        connect(&downloader, &ReplayDataDownLoader::downloadDataResourse, this,
            [&](const DataResource&) {
                if (emitted.size() == tasks.size() - 1)
                    QDir().mkpath(lateFolder);
            });
        QTest::ignoreMessage(QtDebugMsg, "task all finish");
        downloader.start(tasks);

        QTRY_COMPARE_WITH_TIMEOUT(emitted.size(), order.size(), listTimeoutMs);
        QCOMPARE(emittedIndexes(emitted), order);
        for (const QList<QVariant>& arguments : qAsConst(emitted)) {
            const DataResource source = arguments.first().value<DataResource>();
            QCOMPARE(source.status, int(ReplayDataDownLoader::Verified));
            QCOMPARE(source.localPath, tasks.at(source.index).localPath);
            QVERIFY(compareFileMd5(source.localPath, source.md5));
        }
    }

private:
    static int runningCurlChildren()
    {
        using zov::platform::LinuxProcessTable;
        const LinuxProcessTable table = LinuxProcessTable::snapshot();
        int count = 0;
        for (qint64 pid : table.descendantsOf(QCoreApplication::applicationPid())) {
            if (table.info(pid).name == QLatin1String("curl") && LinuxProcessTable::isRunning(pid))
                ++count;
        }
        return count;
    }

    QVector<DataResource> tasksFor(const QStringList& files) const
    {
        QJsonArray replayData;
        for (const QString& file : files) {
            replayData.append(QJsonObject {
                { QStringLiteral("url"),
                    m_service.webBaseUrl().toString() + QStringLiteral("/replaydata/") + file },
                { QStringLiteral("md5"), digests.value(file) } });
        }
        return ReplayDataDownLoader::tasksForReplayData(replayData, QDateTime::currentDateTime());
    }

    TestEnvironment m_env;
    LocalService m_service;
};

QTEST_GUILESS_MAIN(DownloadWorkersTest)
#include "tst_replaydatadownloader.moc"
