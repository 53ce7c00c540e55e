#include "HttpExchange.h"
#include "LocalService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/course/init");
const QByteArray configBody = QByteArrayLiteral("{\"type\":1}");

bool isConfiguration(const HttpResult& result)
{
    const QJsonObject reply = QJsonDocument::fromJson(result.body).object();
    return result.error == QNetworkReply::NoError && result.status == 200
        && reply.value(QStringLiteral("code")).toInt(-1) == 0
        && reply.value(QStringLiteral("data")).toObject().contains(QStringLiteral("h5UrlList"));
}

} // namespace

// Every fault mode, as a real client sees it, and the bookkeeping around faults.
class ServiceFaultTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void faultSeenByClient_data();
    void faultSeenByClient();
    void closeSeenByQtClient();
    void closeSeenByCurl();
    void slowAnswerOutlastsClientTimeout();
    void faultsFromCommandLine();
    void controlRequestsTakeNoFault();
    void badFaultRequestRefused_data();
    void badFaultRequestRefused();
    void requestsCountedPerPath();

private:
    LocalService m_service;
};

void ServiceFaultTest::init()
{
    QVERIFY(m_service.start());
}

void ServiceFaultTest::faultSeenByClient_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("error500") << "error500" << 0 << 500 << QByteArray("injected server error");
    QTest::newRow("nonjson") << "nonjson" << 0 << 200 << QByteArray("<html>not json</html>");
    QTest::newRow("slow") << "slow" << 300 << 200 << QByteArray("h5UrlList");
}

void ServiceFaultTest::faultSeenByClient()
{
    QFETCH(QString, mode);
    QFETCH(int, delayMs);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    const int faults = 2;
    QVERIFY(m_service.injectFaults(faults, mode, delayMs));

    const HttpExchange client(m_service);
    for (int i = 0; i < faults; ++i) {
        const HttpResult result = client.postApi(configPath, configBody);
        QCOMPARE(result.status, status);
        QVERIFY2(result.body.contains(body), result.body.constData());
    }
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
    QCOMPARE(m_service.requestCount(configPath), faults + 1);
}

void ServiceFaultTest::closeSeenByQtClient()
{
    // Qt resends a request whose connection closed before any answer a few times, so
    // arm more closes than it will try.
    QVERIFY(m_service.injectFaults(100, QStringLiteral("close")));
    const HttpExchange client(m_service);
    const HttpResult result = client.postApi(configPath, configBody);
    QCOMPARE(result.error, QNetworkReply::RemoteHostClosedError);
    QCOMPARE(result.status, 0);
    QVERIFY(result.body.isEmpty());

    QVERIFY(m_service.injectFaults(0, QStringLiteral("close")));
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
}

void ServiceFaultTest::closeSeenByCurl()
{
    QVERIFY(m_service.injectFaults(1, QStringLiteral("close")));
    QUrl url = m_service.apiBaseUrl();
    url.setPath(configPath);
    QProcess curl;
    curl.start(QStringLiteral("curl"),
        { QStringLiteral("--silent"), QStringLiteral("--cacert"), m_service.caFile(),
            QStringLiteral("--data"), QString::fromLatin1(configBody), url.toString() });
    QVERIFY(curl.waitForFinished(30000));
    // 52: the server closed the connection without a single byte of answer.
    QCOMPARE(curl.exitCode(), 52);
    QVERIFY(curl.readAllStandardOutput().isEmpty());
}

void ServiceFaultTest::slowAnswerOutlastsClientTimeout()
{
    QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), 3000));
    HttpExchange impatient(m_service);
    impatient.setTransferTimeout(200);
    const HttpResult result = impatient.postApi(configPath, configBody);
    QCOMPARE(result.error, QNetworkReply::OperationCanceledError);
    QCOMPARE(result.status, 0);
}

void ServiceFaultTest::faultsFromCommandLine()
{
    QVERIFY(m_service.start({ QStringLiteral("--fail-next"), QStringLiteral("1"),
        QStringLiteral("--fault"), QStringLiteral("nonjson") }));
    const HttpExchange client(m_service);
    QCOMPARE(client.postApi(configPath, configBody).body, QByteArray("<html>not json</html>"));
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
}

void ServiceFaultTest::controlRequestsTakeNoFault()
{
    QVERIFY(m_service.injectFaults(1, QStringLiteral("error500")));
    QCOMPARE(m_service.requestCount(configPath), 0);
    QCOMPARE(m_service.requestCount(configPath), 0);
    const HttpExchange client(m_service);
    QCOMPARE(client.postApi(configPath, configBody).status, 500);
}

void ServiceFaultTest::badFaultRequestRefused_data()
{
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("not json") << QByteArray("count=1&mode=close");
    QTest::newRow("unknown mode") << QByteArray(R"({"count":1,"mode":"explode"})");
    QTest::newRow("negative count") << QByteArray(R"({"count":-1,"mode":"close"})");
    QTest::newRow("count as text") << QByteArray(R"({"count":"1","mode":"close"})");
    QTest::newRow("negative delay") << QByteArray(R"({"count":1,"mode":"slow","delayMs":-5})");
}

void ServiceFaultTest::badFaultRequestRefused()
{
    QFETCH(QByteArray, body);
    const HttpExchange client(m_service);
    const HttpResult result = client.postApi(QStringLiteral("/control/faults"), body);
    QCOMPARE(result.status, 400);
    QVERIFY(QJsonDocument::fromJson(result.body).isObject());
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
}

void ServiceFaultTest::requestsCountedPerPath()
{
    const HttpExchange client(m_service);
    QVERIFY(m_service.injectFaults(1, QStringLiteral("error500")));
    for (int i = 0; i < 3; ++i)
        client.postApi(configPath, configBody);
    client.postApi(QStringLiteral("/olbusiness/api/device/score"), "{}");
    QUrl page = m_service.webBaseUrl();
    page.setPath(QStringLiteral("/pages/login.html"));
    QCOMPARE(client.get(page).status, 200);

    QCOMPARE(m_service.requestCount(configPath), 3);
    QCOMPARE(m_service.requestCount(QStringLiteral("/olbusiness/api/device/score")), 1);
    QCOMPARE(m_service.requestCount(QStringLiteral("/pages/login.html")), 1);
    QCOMPARE(m_service.requestCount(QStringLiteral("/control/stats")), 0);
    QCOMPARE(m_service.requestCount(QStringLiteral("/never/asked")), 0);
}

QTEST_GUILESS_MAIN(ServiceFaultTest)
#include "ServiceFaultTest.moc"
