#include "LocalService.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

const QString executable = QStringLiteral(ZOV_SERVICE_EXECUTABLE);

// Reads the announcement lines up to and including "READY".
QStringList announcement(QProcess& process)
{
    QStringList lines;
    while (!lines.contains(QStringLiteral("READY")) && process.waitForReadyRead(20000)) {
        while (process.canReadLine())
            lines.append(QString::fromUtf8(process.readLine()).trimmed());
    }
    return lines;
}

} // namespace

// The program as a harness runs it: its arguments, what it prints and how it ends.
class ServiceCommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void badCommandLineRefused_data();
    void badCommandLineRefused();
    void announcesThenEndsCleanlyOnSignal_data();
    void announcesThenEndsCleanlyOnSignal();
    void busyPortRefused();

private:
    QTemporaryDir m_state;
};

void ServiceCommandLineTest::badCommandLineRefused_data()
{
    QTest::addColumn<QStringList>("arguments");

    const QString state = m_state.path();
    QTest::newRow("no state") << QStringList {};
    QTest::newRow("state without value") << QStringList { "--state" };
    QTest::newRow("unknown option") << QStringList { "--state", state, "--verbose", "1" };
    QTest::newRow("port not a number") << QStringList { "--state", state, "--https-port", "x" };
    QTest::newRow("port too large") << QStringList { "--state", state, "--http-port", "70000" };
    QTest::newRow("count without fault") << QStringList { "--state", state, "--fail-next", "2" };
    QTest::newRow("fault without count") << QStringList { "--state", state, "--fault", "close" };
    QTest::newRow("unknown fault")
        << QStringList { "--state", state, "--fail-next", "1", "--fault", "explode" };
    QTest::newRow("negative delay") << QStringList { "--state", state, "--fail-next", "1",
        "--fault", "slow", "--delay-ms", "-1" };
}

void ServiceCommandLineTest::badCommandLineRefused()
{
    QFETCH(QStringList, arguments);
    QProcess service;
    service.start(executable, arguments);
    QVERIFY(service.waitForFinished(20000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 2);
    QVERIFY(service.readAllStandardError().contains("usage:"));
    QVERIFY(service.readAllStandardOutput().isEmpty());
}

void ServiceCommandLineTest::announcesThenEndsCleanlyOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void ServiceCommandLineTest::announcesThenEndsCleanlyOnSignal()
{
    QFETCH(int, signalNumber);
    QProcess service;
    service.start(executable, { "--state", m_state.path() });
    const QStringList lines = announcement(service);
    QCOMPARE(lines.size(), 4);
    const QRegularExpression api("^API https://127\\.0\\.0\\.1:[1-9][0-9]*$");
    const QRegularExpression web("^WEB http://127\\.0\\.0\\.1:[1-9][0-9]*$");
    QVERIFY2(api.match(lines.at(0)).hasMatch(), qPrintable(lines.at(0)));
    QVERIFY2(web.match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
    QCOMPARE(lines.at(2), "CA " + m_state.filePath("local-service-ca.pem"));
    QCOMPARE(lines.at(3), QStringLiteral("READY"));

    QCOMPARE(::kill(pid_t(service.processId()), signalNumber), 0);
    QVERIFY(service.waitForFinished(20000));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.exitCode(), 0);
}

void ServiceCommandLineTest::busyPortRefused()
{
    LocalService first;
    QVERIFY(first.start());
    QProcess second;
    second.start(executable,
        { "--state", m_state.path(), "--https-port", QString::number(first.apiBaseUrl().port()) });
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("cannot listen"));
}

QTEST_GUILESS_MAIN(ServiceCommandLineTest)
#include "ServiceCommandLineTest.moc"
