#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// The support helper's dump of replay data files and its arguments, run as a person runs it.
class ReplayViewerTest : public QObject
{
    Q_OBJECT

private slots:
    void dumpsEveryFileAndFailsForOneThatCannotBeRead()
    {
        const QString lesson = QStringLiteral(ZOV_SOURCE_DIR "/fuzz/corpus/replaydata/lesson.dat");
        QProcess viewer;
        viewer.start(QStringLiteral(ZOV_REPLAYVIEWER),
            { QStringLiteral("--dump"), QStringLiteral("/nonexistent/wb.dat"), lesson });
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitCode(), 1);
        const QList<QByteArray> lines = viewer.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject missing = QJsonDocument::fromJson(lines.at(0)).object();
        QCOMPARE(missing.value("irc").toArray().size(), 0);
        const QJsonObject read = QJsonDocument::fromJson(lines.at(1)).object();
        QCOMPARE(read.value("index").toInt(), 1);
        QCOMPARE(read.value("teacherId").toString(), QStringLiteral("t1"));
        QCOMPARE(read.value("pages").toObject().value("cw_p1").toInt(), 3);
        QCOMPARE(read.value("irc").toArray().at(0).toObject().value("timeStamp").toInt(), 1000);
    }

    void wrongArgumentsShowTheUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("none") << QStringList();
        QTest::newRow("no address") << QStringList { "--lesson" };
        QTest::newRow("no start") << QStringList { "--lesson", "https://x/", "--at" };
        QTest::newRow("start not a number")
            << QStringList { "--lesson", "https://x/", "--at", "1:30" };
        QTest::newRow("negative start") << QStringList { "--lesson", "https://x/", "--at", "-5" };
    }

    void wrongArgumentsShowTheUsage()
    {
        QFETCH(QStringList, arguments);
        QProcess viewer;
        viewer.start(QStringLiteral(ZOV_REPLAYVIEWER), arguments);
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitCode(), 2);
        QVERIFY(viewer.readAllStandardError().startsWith("usage: ZovReplayViewer"));
    }
};

QTEST_GUILESS_MAIN(ReplayViewerTest)
#include "tst_replayviewer.moc"
