#include "HttpExchange.h"
#include "LocalService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/course/init");
const QByteArray configBody = QByteArrayLiteral("{\"type\":1}");
const QString uploadConfigPath = QStringLiteral("/olbusiness/api/log/uploadConfig");
const QString loginPage = QStringLiteral("/pages/login.html");

bool isConfiguration(const HttpResult& result)
{
    const QJsonObject reply = QJsonDocument::fromJson(result.body).object();
    return result.error == QNetworkReply::NoError && result.status == 200
        && reply.value("code").toInt(-1) == 0
        && reply.value("data").toObject().contains("h5UrlList");
}

} // namespace

// Every fault mode as a real client sees it, and what the service counts and keeps of the
// requests on each path. A fault the service cannot arm must be refused rather than leave a
// client test passing without its fault.
class ServiceFaultTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void faultSeenByClient_data();
    void faultSeenByClient();
    void closeSeenByClient();
    void badFaultRefused();
    void requestKeptAsSent_data();
    void requestKeptAsSent();
    void faultedRequestsCountAndLaterOnesReplace();
    void nothingForUnaskedOrControlPaths();

private:
    QString token(const QString& path);

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

void ServiceFaultTest::badFaultRefused()
{
    QVERIFY(!m_service.injectFaults(1, "explode"));
    QVERIFY(!m_service.injectFaults(-1, "close"));
    QVERIFY(!m_service.injectFaults(1, "slow", -5));
    QVERIFY(isConfiguration(HttpExchange(m_service).postApi(configPath, configBody)));
}

QString ServiceFaultTest::token(const QString& path)
{
    return m_service.lastRequest(path).value("headers").toObject().value("token").toString();
}

void ServiceFaultTest::requestKeptAsSent_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("api") << false << "POST" << uploadConfigPath << QByteArray("{}");
    QTest::newRow("unknown api") << false << "POST"
                                 << "/no/such/api" << QByteArray("[1,2]");
    QTest::newRow("version check") << false << "GET"
                                   << "/olbusiness/api/version" << QByteArray();
    QTest::newRow("page api") << true << "POST"
                              << "/web/api/login"
                              << QByteArray(R"({"account":"小明","password":"x"})");
}

void ServiceFaultTest::requestKeptAsSent()
{
    QFETCH(bool, web);
    QFETCH(QString, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    const HttpExchange::Headers sent { { "token", "1f9718f966c9332a" }, { "UUId", "d829e6e8-8209" },
        { "channel", "ol_stu" }, { "Appver", "1.6.7.0" }, { "X-Note", "学生" } };
    HttpExchange client(m_service);
    client.setHeaders(sent);
    QUrl url = web ? m_service.webBaseUrl() : m_service.apiBaseUrl();
    url.setPath(path);
    const HttpResult result = method == "GET" ? client.get(url) : client.post(url, body);
    QVERIFY(result.status > 0);

    const QJsonObject last = m_service.lastRequest(path);
    QCOMPARE(last.value("method").toString(), method);
    QCOMPARE(last.value("path").toString(), path);
    QCOMPARE(last.value("body").toString().toUtf8(), body);
    const QJsonObject headers = last.value("headers").toObject();
    for (const auto& [name, value] : sent)
        QCOMPARE(headers.value(QString::fromLatin1(name)).toString().toUtf8(), value);
    QCOMPARE(headers.value("Content-Type").toString(), QStringLiteral("application/json"));
    QCOMPARE(headers.value("Host").toString(), url.authority());
    // The connection's addresses are the server's bookkeeping, not something sent.
    QVERIFY(!headers.contains("REMOTE_ADDR"));
}

void ServiceFaultTest::faultedRequestsCountAndLaterOnesReplace()
{
    QVERIFY(m_service.injectFaults(1, "error500"));
    // Asking for a count is itself a request; the armed fault must wait for the client's.
    QCOMPARE(m_service.requestCount(uploadConfigPath), 0);
    HttpExchange client(m_service);
    client.setHeaders({ { "token", "faulted" } });
    QCOMPARE(client.postApi(uploadConfigPath, "{\"n\":1}").status, 500);
    QCOMPARE(token(uploadConfigPath), QStringLiteral("faulted"));

    client.setHeaders({ { "token", "second" } });
    QCOMPARE(client.postApi(uploadConfigPath, "{\"n\":2}").status, 200);
    QUrl page = m_service.webBaseUrl();
    page.setPath(loginPage);
    page.setQuery("isagree=true&version=1.6.7.0");
    QCOMPARE(client.get(page).status, 200);

    QCOMPARE(m_service.requestCount(uploadConfigPath), 2);
    QCOMPARE(m_service.requestCount(loginPage), 1);
    QCOMPARE(m_service.requestCount("/control/stats"), 0);
    QCOMPARE(m_service.lastRequest(uploadConfigPath).value("body").toString(),
        QStringLiteral("{\"n\":2}"));
    QCOMPARE(token(uploadConfigPath), QStringLiteral("second"));
    QCOMPARE(m_service.lastRequest(loginPage).value("method").toString(), QStringLiteral("GET"));
    QCOMPARE(token(loginPage), QStringLiteral("second"));
}

void ServiceFaultTest::nothingForUnaskedOrControlPaths()
{
    QCOMPARE(m_service.requestCount(uploadConfigPath), 0);
    QVERIFY(m_service.lastRequest(uploadConfigPath).isEmpty());
    QVERIFY(m_service.lastRequest("/control/stats").isEmpty());
    QVERIFY(m_service.lastRequest("/control/lastRequest").isEmpty());
}

QTEST_GUILESS_MAIN(ServiceFaultTest)
#include "ServiceFaultTest.moc"
