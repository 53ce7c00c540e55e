#include "HttpExchange.h"
#include "LocalService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
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
    void badBodyRefused_data();
    void badBodyRefused();
    void unknownApiAnswersJson();

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
    QCOMPARE(reply.value("code").toInt(-1), 0);
    QCOMPARE(reply.value("msg").toString(), QStringLiteral("ok"));
    m_data = reply.value("data").toObject();
    QCOMPARE(m_data.value("host").toString(), m_service.apiHostPort());
}

QList<QJsonObject> ServiceConfigTest::entriesNamed(const QString& list, const QString& name)
{
    QList<QJsonObject> entries;
    for (const QJsonValue& value : m_data.value(list).toArray()) {
        if (value.toObject().value("name").toString() == name)
            entries.append(value.toObject());
    }
    return entries;
}

void ServiceConfigTest::everyNameOnceAndPointingBack_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("name");
    // Text of the page behind the address, for the pages the service serves.
    QTest::addColumn<QString>("pageText");

    const QStringList pages { "loginUrl", "coursewareUrl", "useragreementUrl",
        "privacyagreementUrl", "videoPlayerUrl", "audioPlayerUrl", "evaluationUrl" };
    const QMap<QString, QString> served { { "loginUrl", "<title>Zov1对1 学生登录</title>" },
        { "useragreementUrl", "用户协议" }, { "privacyagreementUrl", "隐私政策" } };
    const QStringList apis { "startCourseUrl", "endCourseUrl", "courseInfoUrl",
        "startSingleVideoUrl", "endSingleVideoUrl", "startMuxVideoUrl", "endMuxVideoUrl",
        "saveNoteImageUrl", "saveNoteImageNumUrl", "getCoursewareUrl", "getCourseStateUrl",
        "saveMaidianUrl", "pauseOrContinueUrl", "getUploadConfigUrl", "getOlMaidianUrl",
        "getDeviceScore" };
    for (const QString& name : pages)
        QTest::newRow(qPrintable(name)) << "h5UrlList" << name << served.value(name);
    for (const QString& name : apis)
        QTest::newRow(qPrintable(name)) << "rdUrlList" << name << QString();
}

void ServiceConfigTest::everyNameOnceAndPointingBack()
{
    QFETCH(QString, list);
    QFETCH(QString, name);
    QFETCH(QString, pageText);
    const QList<QJsonObject> entries = entriesNamed(list, name);
    QCOMPARE(entries.size(), 1);

    const QUrl url(entries.first().value("url").toString());
    const QUrl base
        = list == QLatin1String("h5UrlList") ? m_service.webBaseUrl() : m_service.apiBaseUrl();
    QCOMPARE(url.scheme(), base.scheme());
    QCOMPARE(url.host(), base.host());
    QCOMPARE(url.port(), base.port());
    QVERIFY(url.path().length() > 1);
    if (!pageText.isEmpty()) {
        const HttpResult result = HttpExchange(m_service).get(url);
        QCOMPARE(result.status, 200);
        QCOMPARE(result.contentType, QByteArray("text/html; charset=utf-8"));
        QVERIFY(QString::fromUtf8(result.body).contains(pageText));
    }
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
    QCOMPARE(error.value("code").toInt(), 400);
    QVERIFY(!error.value("msg").toString().isEmpty());
    QCOMPARE(client.postApi(configPath, configBody).status, 200);
}

void ServiceConfigTest::unknownApiAnswersJson()
{
    const HttpResult result = HttpExchange(m_service).postApi("/no/such/api", "{}");
    QCOMPARE(result.status, 404);
    QCOMPARE(QJsonDocument::fromJson(result.body).object().value("code").toInt(), 404);
}

QTEST_GUILESS_MAIN(ServiceConfigTest)
#include "ServiceConfigTest.moc"
