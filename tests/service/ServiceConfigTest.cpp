#include "HttpExchange.h"
#include "LocalService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/course/init");
const QByteArray configBody = QByteArrayLiteral("{\"type\":1}");

} // namespace

// The remote configuration reply, the pages it points at and the answers to bad requests.
class ServiceConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyNameOnceAndPointingBack_data();
    void everyNameOnceAndPointingBack();
    void hostIsTheApiPort();
    void pageServedAsUtf8_data();
    void pageServedAsUtf8();
    void badBodyRefused_data();
    void badBodyRefused();
    void unknownApiAnswersJson();
    void curlTrustsOnlyWithTheCertificate();

private:
    QList<QJsonObject> entriesNamed(const QString& list, const QString& name);

    LocalService m_service;
    QJsonObject m_data;
};

void ServiceConfigTest::initTestCase()
{
    QVERIFY(m_service.start());
    const HttpResult result = HttpExchange(m_service).postApi(configPath, configBody);
    QCOMPARE(result.status, 200);
    QVERIFY(result.contentType.startsWith("application/json"));
    const QJsonObject reply = QJsonDocument::fromJson(result.body).object();
    QCOMPARE(reply.value(QStringLiteral("code")).toInt(-1), 0);
    QCOMPARE(reply.value(QStringLiteral("msg")).toString(), QStringLiteral("ok"));
    m_data = reply.value(QStringLiteral("data")).toObject();
    QVERIFY(!m_data.isEmpty());
}

QList<QJsonObject> ServiceConfigTest::entriesNamed(const QString& list, const QString& name)
{
    QList<QJsonObject> entries;
    for (const QJsonValue& value : m_data.value(list).toArray()) {
        if (value.toObject().value(QStringLiteral("name")).toString() == name)
            entries.append(value.toObject());
    }
    return entries;
}

void ServiceConfigTest::everyNameOnceAndPointingBack_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("name");

    const QStringList pages { "loginUrl", "coursewareUrl", "useragreementUrl",
        "privacyagreementUrl", "videoPlayerUrl", "audioPlayerUrl", "evaluationUrl" };
    const QStringList apis { "startCourseUrl", "endCourseUrl", "courseInfoUrl",
        "startSingleVideoUrl", "endSingleVideoUrl", "startMuxVideoUrl", "endMuxVideoUrl",
        "saveNoteImageUrl", "saveNoteImageNumUrl", "getCoursewareUrl", "getCourseStateUrl",
        "saveMaidianUrl", "pauseOrContinueUrl", "getUploadConfigUrl", "getOlMaidianUrl",
        "getDeviceScore" };
    for (const QString& name : pages)
        QTest::newRow(qPrintable(name)) << QStringLiteral("h5UrlList") << name;
    for (const QString& name : apis)
        QTest::newRow(qPrintable(name)) << QStringLiteral("rdUrlList") << name;
}

void ServiceConfigTest::everyNameOnceAndPointingBack()
{
    QFETCH(QString, list);
    QFETCH(QString, name);
    const QList<QJsonObject> entries = entriesNamed(list, name);
    QCOMPARE(entries.size(), 1);

    const QUrl url(entries.first().value(QStringLiteral("url")).toString());
    const QUrl base
        = list == QLatin1String("h5UrlList") ? m_service.webBaseUrl() : m_service.apiBaseUrl();
    QCOMPARE(url.scheme(), base.scheme());
    QCOMPARE(url.host(), base.host());
    QCOMPARE(url.port(), base.port());
    QVERIFY(url.path().length() > 1);
}

void ServiceConfigTest::hostIsTheApiPort()
{
    QCOMPARE(m_data.value(QStringLiteral("host")).toString(), m_service.apiHostPort());
    QCOMPARE(m_data.value(QStringLiteral("h5UrlList")).toArray().size(), 7);
    QCOMPARE(m_data.value(QStringLiteral("rdUrlList")).toArray().size(), 16);
}

void ServiceConfigTest::pageServedAsUtf8_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("log-in") << "loginUrl" << QStringLiteral("<title>Zov1对1 学生登录</title>");
    QTest::newRow("log-in form") << "loginUrl" << QStringLiteral("type=\"password\"");
    QTest::newRow("user agreement") << "useragreementUrl" << QStringLiteral("用户协议");
    QTest::newRow("privacy policy") << "privacyagreementUrl" << QStringLiteral("隐私政策");
}

void ServiceConfigTest::pageServedAsUtf8()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QUrl url(entriesNamed(QStringLiteral("h5UrlList"), name)
                       .value(0)
                       .value(QStringLiteral("url"))
                       .toString());
    const HttpResult result = HttpExchange(m_service).get(url);
    QCOMPARE(result.status, 200);
    QCOMPARE(result.contentType, QByteArray("text/html; charset=utf-8"));
    QVERIFY(QString::fromUtf8(result.body).contains(expected));
}

void ServiceConfigTest::badBodyRefused_data()
{
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("type=1");
    QTest::newRow("cut off") << QByteArray("{\"type\":");
    QTest::newRow("array") << QByteArray("[1]");
    QTest::newRow("wrong type") << QByteArray("{\"type\":2}");
    QTest::newRow("type as text") << QByteArray("{\"type\":\"1\"}");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\x01\"type\"", 10);
    QTest::newRow("deep nesting") << QByteArray(100000, '[');
    QTest::newRow("large garbage") << QByteArray(2 * 1024 * 1024, '\xa5');
}

void ServiceConfigTest::badBodyRefused()
{
    QFETCH(QByteArray, body);
    const HttpExchange client(m_service);
    const HttpResult result = client.postApi(configPath, body);
    QCOMPARE(result.status, 400);
    const QJsonObject error = QJsonDocument::fromJson(result.body).object();
    QCOMPARE(error.value(QStringLiteral("code")).toInt(), 400);
    QVERIFY(!error.value(QStringLiteral("msg")).toString().isEmpty());
    QCOMPARE(client.postApi(configPath, configBody).status, 200);
}

void ServiceConfigTest::unknownApiAnswersJson()
{
    const HttpResult result = HttpExchange(m_service).postApi(QStringLiteral("/no/such/api"), "{}");
    QCOMPARE(result.status, 404);
    QCOMPARE(
        QJsonDocument::fromJson(result.body).object().value(QStringLiteral("code")).toInt(), 404);
}

void ServiceConfigTest::curlTrustsOnlyWithTheCertificate()
{
    QUrl url = m_service.apiBaseUrl();
    url.setPath(configPath);
    const QStringList request { QStringLiteral("--silent"), QStringLiteral("--data"),
        QString::fromLatin1(configBody), url.toString() };

    QProcess untrusting;
    untrusting.start(QStringLiteral("curl"), request);
    QVERIFY(untrusting.waitForFinished(30000));
    // 60: the peer's certificate could not be verified.
    QCOMPARE(untrusting.exitCode(), 60);

    QProcess trusting;
    trusting.start(QStringLiteral("curl"),
        QStringList { QStringLiteral("--cacert"), m_service.caFile() } + request);
    QVERIFY(trusting.waitForFinished(30000));
    QCOMPARE(trusting.exitCode(), 0);
    const QJsonObject reply = QJsonDocument::fromJson(trusting.readAllStandardOutput()).object();
    QCOMPARE(
        reply.value(QStringLiteral("data")).toObject().value(QStringLiteral("host")).toString(),
        m_service.apiHostPort());
}

QTEST_GUILESS_MAIN(ServiceConfigTest)
#include "ServiceConfigTest.moc"
