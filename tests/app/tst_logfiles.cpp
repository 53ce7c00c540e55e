#include "app/Context.h"
#include "app/LogFiles.h"
#include "app/LogHandleThead.h"
#include "app/Settings.h"
#include "core/ZovLog.h"

#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class LogFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void longMessageIsSplitIntoPieces_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<int>>("pieces");
        QTest::newRow("empty") << 0 << QList<int> { 0 };
        QTest::newRow("exactly one piece") << kLogPieceSize << QList<int> { kLogPieceSize };
        QTest::newRow("one byte over") << kLogPieceSize + 1 << QList<int> { kLogPieceSize, 1 };
    }

    void longMessageIsSplitIntoPieces()
    {
        QFETCH(int, length);
        QList<int> sizes;
        for (const QByteArray& piece : splitLogMessage(QByteArray(length, 'x')))
            sizes.append(piece.size());
        QTEST(sizes, "pieces");
    }

    // Debug and warning lines are read back from the file below.
    void lineCarriesLevelAndLosesQuotes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("info") << int(QtInfoMsg) << QByteArray("Info: say hi now");
        QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("Critical: say hi now");
        QTest::newRow("fatal") << int(QtFatalMsg) << QByteArray("Fatal: say hi now");
    }

    void lineCarriesLevelAndLosesQuotes()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, expected);
        char line[kLogPieceSize];
        const int length = formatLogLine(QtMsgType(type), "say \"hi\" now", line);
        QCOMPARE(QByteArray(line, length), expected);
    }

    void oldLogsAreRemovedAfterAWeek_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("survives");
        const QString eightDaysOld = QStringLiteral("student_2026_11_25_10_00_00.txt");
        QTest::newRow("8 days") << eightDaysOld << QDate(2026, 12, 3) << false;
        QTest::newRow("7 days") << eightDaysOld << QDate(2026, 12, 2) << true;
        QTest::newRow("today") << "student_2026_12_02_23_59_59.txt" << QDate(2026, 12, 2) << true;
        QTest::newRow("no underscore") << "notes.txt" << QDate(2026, 12, 2) << false;
        QTest::newRow("no date") << "student_today.txt" << QDate(2026, 12, 2) << false;
        QTest::newRow("other suffix")
            << "student_2026_11_01_10_00_00.log" << QDate(2026, 12, 2) << true;
    }

    void oldLogsAreRemovedAfterAWeek()
    {
        QFETCH(QString, fileName);
        QFETCH(QDate, today);
        QFETCH(bool, survives);
        TestEnvironment env;
        const QString path = env.temp() + QLatin1Char('/') + fileName;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        LogHandleThead::removeOldLogs(env.temp(), today);
        QCOMPARE(QFile::exists(path), survives);
    }

    // Runs last: it points the process-wide log writer at a file.
    void messagesReachThisRunsLogFile()
    {
        TestEnvironment env;
        env.apply();
        QString dataFolder;
        QVERIFY(getHomeDir(dataFolder));
        const QString earlierRun
            = dataFolder + QStringLiteral("/logs/student_2001_01_01_00_00_00.txt");
        QVERIFY(testfiles::writeFile(earlierRun, "an old run"));
        qInstallMessageHandler(messageHandler);
        qDebug() << "logged before the file exists";

        QString logDir;
        QVERIFY(createLogFile(logDir));
        QCOMPARE(logDir, env.home() + QStringLiteral("/zov_qm_student/logs"));
        const QString name = Context::instance()->data().logFileName;
        QVERIFY(QRegularExpression(QStringLiteral("^student_\\d{4}(_\\d\\d){5}\\.txt$"))
                    .match(name)
                    .hasMatch());
        LogHandleThead cleanup(logDir);
        cleanup.start();
        QVERIFY(cleanup.wait(10000));
        QVERIFY(!QFile::exists(earlierRun));

        qWarning() << "a \"quoted\" warning";
        for (const char* line : { "libpng warning: hidden", "selectedTextBackgroundColor hidden",
                 "kept: libpng warning: x", "LIBPNG WARNING: kept" })
            qDebug() << line;
        qDebug().noquote() << QString(50000, QLatin1Char('y'));
        qDebug().noquote() << QString(kLogPieceSize, QLatin1Char('z'));
        qInstallMessageHandler(nullptr);
        zov::log::ZovLog::getInstance()->flush();

        QFile log(logDir + QLatin1Char('/') + name);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("Debug: logged before the file exists"));
        QVERIFY(text.contains("Warning: a quoted warning"));
        QVERIFY(!text.contains("hidden"));
        QVERIFY(text.contains("Debug: kept: libpng warning: x"));
        QVERIFY(text.contains("Debug: LIBPNG WARNING: kept"));
        QVERIFY(text.contains("Create log path:"));
        QCOMPARE(text.count("Debug: yyyy"), 3);
        // A whole piece loses its end to the level's prefix.
        QVERIFY(text.contains("Debug: " + QByteArray(kLogPieceSize - 8, 'z')));
        QVERIFY(!text.contains(QByteArray(kLogPieceSize - 7, 'z')));
    }
};

QTEST_GUILESS_MAIN(LogFilesTest)
#include "tst_logfiles.moc"
