#include "core/ZovLog.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <vector>

using zov::log::ZovLog;

namespace {

const QString kStamp = QStringLiteral(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(\d+)\] )");

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// The log writer is one per process, so the order of these cases matters: the first one
// runs before any file is set.
class ZovLogTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void linesBeforeTheFileAreKept()
    {
        // Without a file the writer keeps the newest 10000 lines.
        const int traced = 12000;
        const int kept = 10000;
        for (int i = 0; i < traced; ++i)
            ZovLog::getInstance()->trace(nullptr, 0, nullptr, "Debug: early %d", i);

        const QString path = useNewFile("early");
        QVERIFY(!path.isEmpty());
        QCOMPARE(ZovLog::getInstance()->logFilePath(), path);
        ZovLog::getInstance()->flush();

        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), kept);
        for (int i = 0; i < kept; ++i)
            QVERIFY(
                lines.at(i).endsWith(QStringLiteral("] Debug: early %1").arg(traced - kept + i)));
    }

    void entryLayout_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expectedEnd");
        QTest::newRow("full position")
            << QByteArray("/src/app/main.cpp") << QByteArray("main") << "Info: started"
            << "Info: started (main.cpp:42, main)";
        QTest::newRow("windows path")
            << QByteArray("C:\\src\\app\\Widget.cpp") << QByteArray() << "Warning: odd"
            << "Warning: odd (Widget.cpp:42)";
        QTest::newRow("release build") << QByteArray() << QByteArray() << "Critical: no position"
                                       << "Critical: no position";
        QTest::newRow("percent kept") << QByteArray() << QByteArray() << "Debug: 100% done"
                                      << "Debug: 100% done";
        const QString longText = "Debug: " + QString(100000, QLatin1Char('x')) + "<end>";
        QTest::newRow("long text kept whole")
            << QByteArray() << QByteArray() << longText << longText;
    }

    void entryLayout()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, function);
        QFETCH(QString, text);
        QFETCH(QString, expectedEnd);
        const QString path
            = useNewFile(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(!path.isEmpty());

        ZovLog::getInstance()->trace(file.isNull() ? nullptr : file.constData(), 42,
            function.isNull() ? nullptr : function.constData(), "%s", text.toUtf8().constData());
        ZovLog::getInstance()->flush();

        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), 1);
        const QRegularExpressionMatch stamp = QRegularExpression('^' + kStamp).match(lines.first());
        QVERIFY2(stamp.hasMatch(), qPrintable(lines.first().left(200)));
        QCOMPARE(lines.first().mid(stamp.capturedLength()), expectedEnd);
    }

    void unusableFolderIsRefused_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing folder") << m_dir.filePath("missing/deeper");
        QTest::newRow("folder is a file") << m_dir.filePath("plain.txt");
    }

    void unusableFolderIsRefused()
    {
        QFETCH(QString, folder);
        QFile plain(m_dir.filePath("plain.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = useNewFile("kept");
        QVERIFY(!path.isEmpty());

        QVERIFY(!ZovLog::getInstance()->setLogFileInfo(folder, QStringLiteral("log.txt")));
        QVERIFY(!QDir(m_dir.filePath("missing")).exists());
        // The run goes on logging into the file it had.
        QCOMPARE(ZovLog::getInstance()->logFilePath(), path);
        ZovLog::getInstance()->trace(nullptr, 0, nullptr, "Info: still here");
        ZovLog::getInstance()->flush();
        QVERIFY(readLines(path).last().endsWith(QLatin1String("Info: still here")));
    }

    void concurrentLinesArriveWhole()
    {
        const int threadCount = 4;
        const int linesPerThread = 5000;
        const QString path = useNewFile("threads");
        QVERIFY(!path.isEmpty());
        const QByteArray payload(120, 'p');

        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < threadCount; ++t) {
            threads.emplace_back(QThread::create([t, &payload] {
                for (int i = 0; i < linesPerThread; ++i)
                    ZovLog::getInstance()->trace(__FILE__, __LINE__, "worker",
                        "Debug: worker %d line %d %s", t, i, payload.constData());
            }));
            threads.back()->start();
        }
        for (const auto& thread : threads)
            QVERIFY(thread->wait(60000));
        ZovLog::getInstance()->flush();

        const QRegularExpression layout(QLatin1Char('^') + kStamp
            + QStringLiteral(
                R"(Debug: worker (\d) line (\d+) p{120} \(ZovLogTest\.cpp:\d+, worker\)$)"));
        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), threadCount * linesPerThread);
        QMap<int, int> nextLine;
        QMap<int, QString> threadIds;
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = layout.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            const int worker = match.captured(2).toInt();
            QCOMPARE(match.captured(3).toInt(), nextLine.value(worker));
            nextLine[worker] = match.captured(3).toInt() + 1;
            if (!threadIds.contains(worker))
                threadIds[worker] = match.captured(1);
            QCOMPARE(match.captured(1), threadIds.value(worker));
        }
        QCOMPARE(nextLine.size(), threadCount);
        QCOMPARE(QSet<QString>(threadIds.cbegin(), threadIds.cend()).size(), threadCount);
    }

    void fatalIsWrittenAtOnce()
    {
        const QString path = useNewFile("fatal");
        QVERIFY(!path.isEmpty());

        ZovLog::getInstance()->trace(nullptr, 0, nullptr, "Debug: before");
        ZovLog::getInstance()->trace(nullptr, 0, nullptr, "%s", "Fatal: about to abort");

        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).endsWith(QLatin1String("Debug: before")));
        QVERIFY(lines.at(1).endsWith(QLatin1String("Fatal: about to abort")));
    }

    void linesReachTheDiskWithoutFlush()
    {
        const QString path = useNewFile("unflushed");
        QVERIFY(!path.isEmpty());

        ZovLog::getInstance()->trace(nullptr, 0, nullptr, "Info: on its way");
        QTRY_COMPARE_WITH_TIMEOUT(readLines(path).size(), 1, 1000);
        QVERIFY(readLines(path).first().endsWith(QLatin1String("Info: on its way")));
    }

private:
    QString useNewFile(const QString& name)
    {
        const QString fileName = name + QStringLiteral(".txt");
        if (!ZovLog::getInstance()->setLogFileInfo(m_dir.path(), fileName))
            return QString();
        return m_dir.filePath(fileName);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(ZovLogTest)
#include "ZovLogTest.moc"
