#include "app/Settings.h"
#include "platform/LinuxProcessTable.h"
#include "platform/Platform.h"
#include "replay/CurlHttpDownLoader.h"

#include "LocalService.h"
#include "LogRecorder.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

const QString meterFile = QStringLiteral("/replaydata/meter.txt");
const QString meterMd5 = QStringLiteral("cd13ae13f7e72406d273938bae181842");
const QString smallFile = QStringLiteral("/replaydata/a1.txt");
const QString smallMd5 = QStringLiteral("289877cef5b663f3078b0e4194b3a23a");

// A loopback port on which nobody listens.
int closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

class CurlHttpDownLoaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        QVERIFY(m_service.start());
        QVERIFY(!zov::platform::Platform::findTool(QStringLiteral("curl.exe")).isEmpty());
        m_log = std::make_unique<LogRecorder>();
        captureMeter();
    }

    void cleanupTestCase() { m_log.reset(); }

    // The meter as curl really writes it on standard error: two header lines ended by
    // newlines, then one line per update ended by carriage returns.
    void progressLineRule_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("percent");

        QVERIFY(m_meterLines.size() >= 4);
        QTest::newRow("header line") << m_meterLines.first() << true << 0;
        QTest::newRow("units line") << m_meterLines.at(1) << false << 0;
        QTest::newRow("last meter line") << m_meterLines.last() << true << 100;
        QTest::newRow("two meter lines in one chunk")
            << m_meterLines.at(2) + QLatin1Char('\r') + m_meterLines.last() << false << 0;
        QTest::newRow("whole output in one chunk") << m_meterOutput << false << 0;
        QTest::newRow("nothing") << QString() << false << 0;
    }

    void progressLineRule()
    {
        QFETCH(QString, chunk);
        QFETCH(bool, accepted);
        QFETCH(int, percent);

        const QStringList fields = CurlHttpDownLoader::meterFields(chunk);
        QCOMPARE(!fields.isEmpty(), accepted);
        if (accepted) {
            QCOMPARE(fields.size(), 12);
            QCOMPARE(fields.first().toInt(), percent);
        }
    }

    void everyMeterUpdateIsOneLine()
    {
        for (const QString& line : m_meterLines.mid(2)) {
            const QStringList fields = CurlHttpDownLoader::meterFields(line);
            QCOMPARE(fields.size(), 12);
            bool isNumber = false;
            const int percent = fields.first().toInt(&isNumber);
            QVERIFY2(isNumber && percent >= 0 && percent <= 100, qPrintable(line));
        }
    }

    void finishCodes_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("md5");

        const QString web = m_service.webBaseUrl().toString();
        const QString api = m_service.apiBaseUrl().toString();
        const QByteArray slowMd5
            = m_service.servePackage(QStringLiteral("meter.bin"), QByteArray(1536 * 1024, 'm'));
        QTest::newRow("slow file with progress")
            << m_service.packageUrl(QStringLiteral("meter.bin"), true).toString() << 0 << 0
            << QString::fromLatin1(slowMd5);
        QTest::newRow("missing file")
            << web + QStringLiteral("/replaydata/none.txt") << -1 << 22 << QString();
        // The service's certificate is its own; the tool gets as far as the answer.
        QTest::newRow("missing over https")
            << api + QStringLiteral("/replaydata/none.txt") << -1 << 22 << QString();
        QTest::newRow("unreachable host")
            << QStringLiteral("http://127.0.0.1:%1/a1.txt").arg(closedPort()) << -1 << 7
            << QString();
    }

    void finishCodes()
    {
        QFETCH(QString, url);
        QFETCH(int, code);
        QFETCH(int, exitCode);
        QFETCH(QString, md5);

        const QString dst
            = m_env.root() + QStringLiteral("/finish-%1.txt").arg(QTest::currentDataTag());
        CurlHttpDownLoader loader(nullptr);
        QSignalSpy progress(&loader, &CurlHttpDownLoader::progress);
        QSignalSpy finished(&loader, &CurlHttpDownLoader::curlFinished);
        loader.start(url, dst, false);
        QVERIFY(finished.wait(30000));

        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).toInt(), code);
        QCOMPARE(finished.first().at(1).toString(), dst);
        QVERIFY(m_log->contains(QStringLiteral("download finished: %1 NormalExit").arg(exitCode)));
        QCOMPARE(QFile::exists(dst), !md5.isEmpty());
        if (!md5.isEmpty())
            QVERIFY(compareFileMd5(dst, md5));
        int most = 0;
        for (const QList<QVariant>& value : qAsConst(progress)) {
            QVERIFY(value.first().toInt() >= 0 && value.first().toInt() <= 100);
            most = qMax(most, value.first().toInt());
        }
        // Only a download that lasts some seconds gets meter lines one at a time.
        QCOMPARE(most > 0, QByteArray(QTest::currentDataTag()) == "slow file with progress");
    }

    void resumeForm_data()
    {
        QTest::addColumn<int>("partialBytes");
        QTest::addColumn<bool>("resume");
        QTest::addColumn<QString>("leadingArgs");

        QTest::newRow("resume after partial file")
            << 500 << true << QStringLiteral("-C 500 -k -L ");
        QTest::newRow("resume without file") << -1 << true << QStringLiteral("-f -k -L ");
        QTest::newRow("no resume over partial file") << 500 << false << QStringLiteral("-f -k -L ");
    }

    void resumeForm()
    {
        QFETCH(int, partialBytes);
        QFETCH(bool, resume);
        QFETCH(QString, leadingArgs);

        const QString url = m_service.webBaseUrl().toString() + smallFile;
        const QString dst
            = m_env.root() + QStringLiteral("/resume-%1.txt").arg(QTest::currentDataTag());
        if (partialBytes >= 0)
            QVERIFY(writePrefixOf(QStringLiteral(ZOV_WWW_DIR) + smallFile, dst, partialBytes));

        CurlHttpDownLoader loader(nullptr);
        QSignalSpy finished(&loader, &CurlHttpDownLoader::curlFinished);
        loader.start(url, dst, resume);
        QVERIFY(finished.wait(30000));

        QVERIFY(m_log->contains(
            QStringLiteral("download args: ") + leadingArgs + url + QStringLiteral(" -o ") + dst));
        QCOMPARE(finished.first().at(0).toInt(), 0);
        QVERIFY(compareFileMd5(dst, smallMd5));
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
        const int finishLines = m_log->countStartingWith(QStringLiteral("download finished:"));

        delete loader;
        QCOMPARE(runningCurlChildren(), 0);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(m_log->countStartingWith(QStringLiteral("download finished:")), finishLines);
    }

private:
    void captureMeter()
    {
        const QString dst = m_env.root() + QStringLiteral("/meter-capture.txt");
        QProcess curl;
        curl.start(zov::platform::Platform::findTool(QStringLiteral("curl.exe")),
            CurlHttpDownLoader::arguments(
                m_service.webBaseUrl().toString() + meterFile, dst, false));
        QVERIFY(curl.waitForFinished(30000));
        QCOMPARE(curl.exitCode(), 0);
        m_meterOutput = QString::fromLocal8Bit(curl.readAllStandardError());
        for (const QString& line :
            m_meterOutput.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
            if (!line.trimmed().isEmpty())
                m_meterLines.append(line);
        }
    }

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

    static bool writePrefixOf(const QString& source, const QString& dst, int bytes)
    {
        QFile in(source);
        QFile out(dst);
        return in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)
            && out.write(in.read(bytes)) == bytes;
    }

    TestEnvironment m_env;
    LocalService m_service;
    std::unique_ptr<LogRecorder> m_log;
    QString m_meterOutput;
    QStringList m_meterLines;
};

QTEST_GUILESS_MAIN(CurlHttpDownLoaderTest)
#include "tst_curlhttpdownloader.moc"
