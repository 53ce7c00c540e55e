#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// The support helper's dump of replay data files, run as a person runs it.
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
};

QTEST_GUILESS_MAIN(ReplayViewerTest)
#include "tst_replayviewer.moc"
