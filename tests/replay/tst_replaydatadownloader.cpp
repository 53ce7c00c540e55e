#include "app/Settings.h"
#include "replay/ReplayDataDownLoader.h"

#include "LocalService.h"
#include "LogRecorder.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using DataResource = ReplayDataDownLoader::DataResource;

namespace {

const QHash<QString, QString> digests {
    { QStringLiteral("a1.txt"), QStringLiteral("289877cef5b663f3078b0e4194b3a23a") },
    { QStringLiteral("a2.txt"), QStringLiteral("ff0ba43b4f27e4c078b5733c461c742a") },
    { QStringLiteral("a3.txt"), QStringLiteral("92d40778068cfc5bb3d9661f2e97c22c") },
};

// Retries wait a few seconds, so a list with one retry needs more than QTRY's default.
const int listTimeoutMs = 30000;

QList<int> emittedIndexes(const QSignalSpy& spy)
{
    QList<int> indexes;
    for (const QList<QVariant>& arguments : spy)
        indexes.append(arguments.first().value<DataResource>().index);
    return indexes;
}

} // namespace

class ReplayDataDownLoaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        QVERIFY(m_service.start());
        m_log = std::make_unique<LogRecorder>();
    }

    void cleanupTestCase() { m_log.reset(); }

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
        for (const QString& url : urls) {
            replayData.append(QJsonObject { { QStringLiteral("url"), url },
                { QStringLiteral("md5"), QStringLiteral("md5-of-") + url } });
        }
        const QString folder
            = m_env.home() + QStringLiteral("/zov_qm_student/ZovCache/1v1playback/");
        QDir(folder).removeRecursively();

        const QVector<DataResource> tasks
            = ReplayDataDownLoader::tasksForReplayData(replayData, startTime);
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(tasks.size(), names.size());
        for (int i = 0; i < tasks.size(); ++i) {
            QCOMPARE(tasks.at(i).localPath, folder + names.at(i));
            QCOMPARE(tasks.at(i).url, urls.at(i));
            QCOMPARE(tasks.at(i).md5, QStringLiteral("md5-of-") + urls.at(i));
            QCOMPARE(tasks.at(i).status, int(ReplayDataDownLoader::Waiting));
            QCOMPARE(tasks.at(i).index, i);
        }
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
        const int finishedBefore = m_log->countStartingWith(QStringLiteral("task all finish"));
        const int md5FailuresBefore = m_log->countStartingWith(QStringLiteral("Check md5 faild->"));
        downloader.start(tasks);

        QTRY_COMPARE_WITH_TIMEOUT(m_log->countStartingWith(QStringLiteral("task all finish")),
            finishedBefore + 1, listTimeoutMs);
        QCOMPARE(emittedIndexes(emitted), order);
        for (const QList<QVariant>& arguments : qAsConst(emitted)) {
            const DataResource source = arguments.first().value<DataResource>();
            QCOMPARE(source.status, int(ReplayDataDownLoader::Verified));
            QCOMPARE(source.localPath, tasks.at(source.index).localPath);
            QVERIFY(compareFileMd5(source.localPath, source.md5));
        }
        QCOMPARE(m_log->countStartingWith(QStringLiteral("Check md5 faild->")), md5FailuresBefore);
    }

    void md5Check_data()
    {
        QTest::addColumn<QString>("md5");
        QTest::addColumn<bool>("verified");

        const QString right = digests.value(QStringLiteral("a3.txt"));
        QTest::newRow("matching digest") << right << true;
        QTest::newRow("digest in capitals") << right.toUpper() << false;
        QTest::newRow("another file's digest") << digests.value(QStringLiteral("a1.txt")) << false;
    }

    // A file whose digest does not match is never handed on and is fetched again.
    void md5Check()
    {
        QFETCH(QString, md5);
        QFETCH(bool, verified);

        QVector<DataResource> tasks = tasksFor({ QStringLiteral("a3.txt") });
        tasks[0].md5 = md5;
        tasks[0].localPath = m_env.root() + QStringLiteral("/md5-") + QTest::currentDataTag();
        const QString path = QStringLiteral("/replaydata/a3.txt");
        const int requestsBefore = m_service.requestCount(path);

        auto* downloader = new ReplayDataDownLoader(nullptr);
        QSignalSpy emitted(downloader, &ReplayDataDownLoader::downloadDataResourse);
        downloader->start(tasks);

        const QString mismatch = QStringLiteral("Check md5 faild->") + tasks.first().localPath;
        if (verified) {
            QTRY_COMPARE_WITH_TIMEOUT(emitted.size(), 1, listTimeoutMs);
            QVERIFY(!m_log->contains(mismatch));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(
                m_service.requestCount(path) >= requestsBefore + 2, listTimeoutMs);
            QVERIFY(m_log->contains(mismatch));
            QCOMPARE(emitted.size(), 0);
        }
        delete downloader;
    }

    void signalCrossesQueuedConnections()
    {
        ReplayDataDownLoader downloader(nullptr);
        QList<DataResource> received;
        connect(
            &downloader, &ReplayDataDownLoader::downloadDataResourse, this,
            [&received](const DataResource& source) { received.append(source); },
            Qt::QueuedConnection);
        downloader.start(tasksFor({ QStringLiteral("a1.txt") }));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, listTimeoutMs);
        QCOMPARE(received.first().url,
            m_service.webBaseUrl().toString() + QStringLiteral("/replaydata/a1.txt"));
        QCOMPARE(received.first().status, int(ReplayDataDownLoader::Verified));
    }

private:
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
    std::unique_ptr<LogRecorder> m_log;
};

QTEST_GUILESS_MAIN(ReplayDataDownLoaderTest)
#include "tst_replaydatadownloader.moc"
