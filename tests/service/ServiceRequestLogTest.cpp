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

    void headersAsSent_data();
    void headersAsSent();
    void requestOnEitherPort_data();
    void requestOnEitherPort();
    void laterRequestReplacesEarlier();
    void faultedRequestStillLogged();
    void nothingForUnaskedOrControlPaths();

private:
    LocalService m_service;
};

void ServiceRequestLogTest::init()
{
    QVERIFY(m_service.start());
}

void ServiceRequestLogTest::headersAsSent_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("token") << QByteArray("token") << QByteArray("1f9718f966c9332a");
    QTest::newRow("mixed case name") << QByteArray("UUId") << QByteArray("d829e6e8-8209");
    QTest::newRow("channel") << QByteArray("channel") << QByteArray("ol_stu");
    QTest::newRow("timestamp") << QByteArray("timestamp") << QByteArray("1764850000");
    QTest::newRow("utf-8 value") << QByteArray("X-Note") << QByteArray("学生");
}

void ServiceRequestLogTest::headersAsSent()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    HttpExchange client(m_service);
    client.setHeaders({ { name, value } });
    QCOMPARE(client.postApi(configPath, "{}").status, 200);

    const QJsonObject headers
        = m_service.lastRequest(configPath).value(QStringLiteral("headers")).toObject();
    const QString key = QString::fromLatin1(name);
    QVERIFY2(headers.contains(key), QJsonDocument(headers).toJson().constData());
    QCOMPARE(headers.value(key).toString().toUtf8(), value);
    QCOMPARE(headers.value(QStringLiteral("Content-Type")).toString(),
        QStringLiteral("application/json"));
    // The connection's addresses are the server's bookkeeping, not something sent.
    QVERIFY(!headers.contains(QStringLiteral("REMOTE_ADDR")));
    QVERIFY(!headers.contains(QStringLiteral("LOCAL_PORT")));
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
    QCOMPARE(last.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
    QCOMPARE(last.value(QStringLiteral("path")).toString(), path);
    QCOMPARE(last.value(QStringLiteral("body")).toString().toUtf8(), body);
    const QUrl base = web ? m_service.webBaseUrl() : m_service.apiBaseUrl();
    QCOMPARE(
        last.value(QStringLiteral("headers")).toObject().value(QStringLiteral("Host")).toString(),
        base.authority());
}

void ServiceRequestLogTest::laterRequestReplacesEarlier()
{
    HttpExchange client(m_service);
    client.setHeaders({ { "token", "first" } });
    client.postApi(configPath, "{\"n\":1}");
    client.setHeaders({ { "token", "second" } });
    client.postApi(configPath, "{\"n\":2}");
    QUrl page = m_service.webBaseUrl();
    page.setPath(QStringLiteral("/pages/login.html"));
    page.setQuery(QStringLiteral("isagree=true&version=1.6.7.0"));
    QCOMPARE(client.get(page).status, 200);

    const QJsonObject last = m_service.lastRequest(configPath);
    QCOMPARE(last.value(QStringLiteral("body")).toString(), QStringLiteral("{\"n\":2}"));
    QCOMPARE(
        last.value(QStringLiteral("headers")).toObject().value(QStringLiteral("token")).toString(),
        QStringLiteral("second"));
    const QJsonObject pageRequest = m_service.lastRequest(QStringLiteral("/pages/login.html"));
    QCOMPARE(pageRequest.value(QStringLiteral("method")).toString(), QStringLiteral("GET"));
    QCOMPARE(pageRequest.value(QStringLiteral("headers"))
                 .toObject()
                 .value(QStringLiteral("token"))
                 .toString(),
        QStringLiteral("second"));
}

void ServiceRequestLogTest::faultedRequestStillLogged()
{
    QVERIFY(m_service.injectFaults(1, QStringLiteral("error500")));
    HttpExchange client(m_service);
    client.setHeaders({ { "token", "faulted" } });
    QCOMPARE(client.postApi(configPath, "{}").status, 500);
    QCOMPARE(m_service.lastRequest(configPath)
                 .value(QStringLiteral("headers"))
                 .toObject()
                 .value(QStringLiteral("token"))
                 .toString(),
        QStringLiteral("faulted"));
}

void ServiceRequestLogTest::nothingForUnaskedOrControlPaths()
{
    QCOMPARE(m_service.requestCount(configPath), 0);
    QVERIFY(m_service.lastRequest(configPath).isEmpty());
    QVERIFY(m_service.lastRequest(QStringLiteral("/control/stats")).isEmpty());
    QVERIFY(m_service.lastRequest(QStringLiteral("/control/lastRequest")).isEmpty());

    QUrl url = m_service.apiBaseUrl();
    url.setPath(QStringLiteral("/control/lastRequest"));
    const HttpResult missing = HttpExchange(m_service).get(url);
    QCOMPARE(missing.status, 400);
    url.setQuery(QStringLiteral("path=/never/asked"));
    const HttpResult none = HttpExchange(m_service).get(url);
    QCOMPARE(none.status, 404);
    QCOMPARE(
        QJsonDocument::fromJson(none.body).object().value(QStringLiteral("code")).toInt(), 404);
}

QTEST_GUILESS_MAIN(ServiceRequestLogTest)
#include "ServiceRequestLogTest.moc"
