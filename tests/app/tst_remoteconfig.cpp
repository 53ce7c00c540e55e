#include "app/Context.h"
#include "app/RemoteConfig.h"
#include "app/ServiceEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

QJsonObject entry(const QString& name, const QString& url)
{
    return { { "name", name }, { "url", url } };
}

QJsonObject reply(const QJsonArray& h5, const QJsonArray& rd)
{
    const QJsonObject data { { "host", "api.test" }, { "h5UrlList", h5 }, { "rdUrlList", rd } };
    return { { "code", 0 }, { "data", data } };
}

} // namespace

class RemoteConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { qunsetenv("ZOV_API_HOST"); }

    void environmentChoosesHostCaseSensitively_data()
    {
        QTest::addColumn<QString>("env");
        QTest::addColumn<QString>("host");
        const QString online = QStringLiteral("api.zov1v1.net");
        QTest::newRow("online") << "online" << online;
        QTest::newRow("beta") << "beta" << QStringLiteral("beta-api.zov1v1.net");
        QTest::newRow("dev") << "dev" << QStringLiteral("dev-api.zov1v1.net");
        QTest::newRow("empty means online") << "" << online;
        QTest::newRow("Beta is not beta") << "Beta" << online;
        QTest::newRow("unknown means online") << "test" << online;
    }

    void environmentChoosesHostCaseSensitively()
    {
        QFETCH(QString, env);
        QFETCH(QString, host);
        setServiceEnv(env);
        QCOMPARE(businessApiUrl(QStringLiteral("/olbusiness/api/course/init")),
            QStringLiteral("https://") + host + QStringLiteral("/olbusiness/api/course/init"));
    }

    void fullReplyFillsEveryAddress()
    {
        const QJsonArray rd { entry("courseInfoUrl", "https://c"),
            entry("getDeviceScore", "https://d"), entry("saveNoteImageUrl", "https://n") };
        const QJsonArray h5 { entry("loginUrl", "http://login"),
            entry("evaluationUrl", "http://eval") };
        ContextData data;
        QVERIFY(applyRemoteConfig(reply(h5, rd), data));
        QCOMPARE(data.host, QString("api.test"));
        QCOMPARE(data.loginUrl, QString("http://login"));
        QCOMPARE(data.evaluationUrl, QString("http://eval"));
        QCOMPARE(data.courseInfoUrl, QString("https://c"));
        QCOMPARE(data.getDeviceScore, QString("https://d"));
        QCOMPARE(data.saveNoteImageUrl, QString("https://n"));
        QCOMPARE(data.rdUrlList, rd);
    }

    void replyDecidesWhatIsKept_data()
    {
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QString>("loginUrl");
        QTest::addColumn<QString>("courseInfoUrl");
        QTest::addColumn<QString>("host");

        QTest::newRow("later duplicate wins")
            << reply({ entry("loginUrl", "http://first"), entry("loginUrl", "http://second") }, {})
            << true << "http://second" << QString() << "api.test";
        QTest::newRow("names are case-sensitive, lists separate")
            << reply({ entry("LoginUrl", "http://wrong"), entry("courseInfoUrl", "http://h5") }, {})
            << true << QString() << QString() << "api.test";
        QTest::newRow("no data changes nothing")
            << QJsonObject { { "code", 1 } } << false << "http://earlier"
            << "http://earlier-course"
            << "kept.host";
        QTest::newRow("malformed lists empty the addresses")
            << QJsonObject { { "data",
                   QJsonObject { { "h5UrlList", "x" },
                       { "rdUrlList", QJsonArray { 1, QJsonArray {}, QJsonValue() } } } } }
            << true << QString() << QString() << QString();
    }

    void replyDecidesWhatIsKept()
    {
        ContextData data;
        data.loginUrl = QStringLiteral("http://earlier");
        data.courseInfoUrl = QStringLiteral("http://earlier-course");
        data.host = QStringLiteral("kept.host");
        QFETCH(QJsonObject, answer);
        QTEST(applyRemoteConfig(answer, data), "applied");
        QTEST(data.loginUrl, "loginUrl");
        QTEST(data.courseInfoUrl, "courseInfoUrl");
        QTEST(data.host, "host");
    }
};

QTEST_GUILESS_MAIN(RemoteConfigTest)
#include "tst_remoteconfig.moc"
