#include "HttpExchange.h"
#include "LocalService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/log/uploadConfig");
const QString loginPath = QStringLiteral("/web/api/login");

} // namespace

// What the service keeps of the last request on each path, for tests that check what a
// client sent.
class ServiceRequestLogTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void headersAsSent();
    void requestOnEitherPort_data();
    void requestOnEitherPort();
    void laterRequestReplacesEarlierFaultedOrNot();
    void nothingForUnaskedOrControlPaths();

private:
    LocalService m_service;
};

void ServiceRequestLogTest::init()
{
    QVERIFY(m_service.start());
}

void ServiceRequestLogTest::headersAsSent()
{
    const HttpExchange::Headers sent { { "token", "1f9718f966c9332a" }, { "UUId", "d829e6e8-8209" },
        { "channel", "ol_stu" }, { "timestamp", "1764850000" }, { "X-Note", "学生" } };
    HttpExchange client(m_service);
    client.setHeaders(sent);
    QCOMPARE(client.postApi(configPath, "{}").status, 200);

    const QJsonObject headers = m_service.lastRequest(configPath).value("headers").toObject();
    for (const auto& header : sent) {
        const QString name = QString::fromLatin1(header.first);
        QVERIFY2(headers.contains(name), QJsonDocument(headers).toJson().constData());
        QCOMPARE(headers.value(name).toString().toUtf8(), header.second);
    }
    QCOMPARE(headers.value("Content-Type").toString(), QStringLiteral("application/json"));
    // The connection's addresses are the server's bookkeeping, not something sent.
    QVERIFY(!headers.contains("REMOTE_ADDR"));
    QVERIFY(!headers.contains("LOCAL_PORT"));
}

void ServiceRequestLogTest::requestOnEitherPort_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("api") << false << configPath << QByteArray("{}");
    QTest::newRow("unknown api") << false << QStringLiteral("/no/such/api") << QByteArray("[1,2]");
    QTest::newRow("page api") << true << loginPath
                              << QByteArray(R"({"account":"小明","password":"x"})");
}

void ServiceRequestLogTest::requestOnEitherPort()
{
    QFETCH(bool, web);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    const HttpExchange client(m_service);
    const HttpResult result = web ? client.postWeb(path, body) : client.postApi(path, body);
    QVERIFY(result.status > 0);

    const QJsonObject last = m_service.lastRequest(path);
    QCOMPARE(last.value("method").toString(), QStringLiteral("POST"));
    QCOMPARE(last.value("path").toString(), path);
    QCOMPARE(last.value("body").toString().toUtf8(), body);
    const QUrl base = web ? m_service.webBaseUrl() : m_service.apiBaseUrl();
    QCOMPARE(last.value("headers").toObject().value("Host").toString(), base.authority());
}

void ServiceRequestLogTest::laterRequestReplacesEarlierFaultedOrNot()
{
    const auto token = [this](const QString& path) {
        return m_service.lastRequest(path).value("headers").toObject().value("token").toString();
    };
    QVERIFY(m_service.injectFaults(1, "error500"));
    HttpExchange client(m_service);
    client.setHeaders({ { "token", "faulted" } });
    QCOMPARE(client.postApi(configPath, "{\"n\":1}").status, 500);
    QCOMPARE(token(configPath), QStringLiteral("faulted"));

    client.setHeaders({ { "token", "second" } });
    client.postApi(configPath, "{\"n\":2}");
    QUrl page = m_service.webBaseUrl();
    page.setPath("/pages/login.html");
    page.setQuery("isagree=true&version=1.6.7.0");
    QCOMPARE(client.get(page).status, 200);

    QCOMPARE(
        m_service.lastRequest(configPath).value("body").toString(), QStringLiteral("{\"n\":2}"));
    QCOMPARE(token(configPath), QStringLiteral("second"));
    QCOMPARE(m_service.lastRequest("/pages/login.html").value("method").toString(),
        QStringLiteral("GET"));
    QCOMPARE(token("/pages/login.html"), QStringLiteral("second"));
}

void ServiceRequestLogTest::nothingForUnaskedOrControlPaths()
{
    QCOMPARE(m_service.requestCount(configPath), 0);
    QVERIFY(m_service.lastRequest(configPath).isEmpty());
    QVERIFY(m_service.lastRequest("/control/stats").isEmpty());
    QVERIFY(m_service.lastRequest("/control/lastRequest").isEmpty());

    QUrl url = m_service.apiBaseUrl();
    url.setPath("/control/lastRequest");
    const HttpResult missing = HttpExchange(m_service).get(url);
    QCOMPARE(missing.status, 400);
    url.setQuery("path=/never/asked");
    const HttpResult none = HttpExchange(m_service).get(url);
    QCOMPARE(none.status, 404);
    QCOMPARE(QJsonDocument::fromJson(none.body).object().value("code").toInt(), 404);
}

QTEST_GUILESS_MAIN(ServiceRequestLogTest)
#include "ServiceRequestLogTest.moc"
