#include "core/ZovLog.h"

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

// The log writer is one per process: each case gives it a file of its own.
class ZovLogTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Each entry follows an earlier one; a fatal one takes it to the disk at once, the rest
    // get there within a second without a flush.
    void entryLayout_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expectedEnd");
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("full position")
            << QByteArray("/src/app/main.cpp") << QByteArray("main") << "Info: started"
            << "Info: started (main.cpp:42, main)" << false;
        QTest::newRow("release build") << QByteArray() << QByteArray() << "Critical: no position"
                                       << "Critical: no position" << false;
        QTest::newRow("percent kept") << QByteArray() << QByteArray() << "Debug: 100% done"
                                      << "Debug: 100% done" << false;
        const QString longText = "Debug: " + QString(100000, QLatin1Char('x')) + "<end>";
        QTest::newRow("long text kept whole")
            << QByteArray() << QByteArray() << longText << longText << false;
        QTest::newRow("fatal") << QByteArray() << QByteArray() << "Fatal: about to abort"
                               << "Fatal: about to abort" << true;
    }

    void entryLayout()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, function);
        QFETCH(QString, text);
        QFETCH(bool, atOnce);
        const QString path
            = useNewFile(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(!path.isEmpty());

        ZovLog::getInstance()->trace(nullptr, 0, nullptr, "Debug: before");
        ZovLog::getInstance()->trace(file.isNull() ? nullptr : file.constData(), 42,
            function.isNull() ? nullptr : function.constData(), "%s", text.toUtf8().constData());
        if (!atOnce)
            QTRY_COMPARE_WITH_TIMEOUT(readLines(path).size(), 2, 1000);

        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.first().endsWith(QLatin1String("] Debug: before")));
        const QRegularExpressionMatch stamp = QRegularExpression('^' + kStamp).match(lines.last());
        QVERIFY2(stamp.hasMatch(), qPrintable(lines.last().left(200)));
        QTEST(lines.last().mid(stamp.capturedLength()), "expectedEnd");
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
