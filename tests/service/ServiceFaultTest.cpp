#include "HttpExchange.h"
#include "LocalService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/course/init");
const QByteArray configBody = QByteArrayLiteral("{\"type\":1}");

bool isConfiguration(const HttpResult& result)
{
    const QJsonObject reply = QJsonDocument::fromJson(result.body).object();
    return result.error == QNetworkReply::NoError && result.status == 200
        && reply.value("code").toInt(-1) == 0
        && reply.value("data").toObject().contains("h5UrlList");
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
    void closeSeenByClient();
    void faultsFromCommandLine();
    void badFaultRequestRefused_data();
    void badFaultRequestRefused();
    void controlTakesNoFaultAndRequestsCountPerPath();

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

void ServiceFaultTest::closeSeenByClient()
{
    // Qt resends a request whose connection closed before any answer a few times, so
    // arm more closes than it will try.
    QVERIFY(m_service.injectFaults(100, "close"));
    const HttpExchange client(m_service);
    const HttpResult result = client.postApi(configPath, configBody);
    QCOMPARE(result.error, QNetworkReply::RemoteHostClosedError);
    QCOMPARE(result.status, 0);
    QVERIFY(result.body.isEmpty());

    QVERIFY(m_service.injectFaults(0, "close"));
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
}

void ServiceFaultTest::faultsFromCommandLine()
{
    QVERIFY(m_service.start({ "--fail-next", "1", "--fault", "nonjson" }));
    const HttpExchange client(m_service);
    QCOMPARE(client.postApi(configPath, configBody).body, QByteArray("<html>not json</html>"));
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
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
    const HttpResult result = client.postApi("/control/faults", body);
    QCOMPARE(result.status, 400);
    QVERIFY(QJsonDocument::fromJson(result.body).isObject());
    QVERIFY(isConfiguration(client.postApi(configPath, configBody)));
}

void ServiceFaultTest::controlTakesNoFaultAndRequestsCountPerPath()
{
    QVERIFY(m_service.injectFaults(1, "error500"));
    // Asking for a count is itself a request; the armed fault must wait for the client's.
    QCOMPARE(m_service.requestCount(configPath), 0);
    const HttpExchange client(m_service);
    QCOMPARE(client.postApi(configPath, configBody).status, 500);
    for (int i = 0; i < 2; ++i)
        client.postApi(configPath, configBody);
    client.postApi("/olbusiness/api/device/score", "{}");
    QUrl page = m_service.webBaseUrl();
    page.setPath("/pages/login.html");
    QCOMPARE(client.get(page).status, 200);

    QCOMPARE(m_service.requestCount(configPath), 3);
    QCOMPARE(m_service.requestCount("/olbusiness/api/device/score"), 1);
    QCOMPARE(m_service.requestCount("/pages/login.html"), 1);
    QCOMPARE(m_service.requestCount("/control/stats"), 0);
    QCOMPARE(m_service.requestCount("/never/asked"), 0);
}

QTEST_GUILESS_MAIN(ServiceFaultTest)
#include "ServiceFaultTest.moc"
