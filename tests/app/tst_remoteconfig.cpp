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
    return QJsonObject { { QStringLiteral("name"), name }, { QStringLiteral("url"), url } };
}

QJsonObject reply(const QJsonArray& h5, const QJsonArray& rd)
{
    return QJsonObject { { QStringLiteral("code"), 0 },
        { QStringLiteral("data"),
            QJsonObject { { QStringLiteral("host"), QStringLiteral("api.test") },
                { QStringLiteral("h5UrlList"), h5 }, { QStringLiteral("rdUrlList"), rd } } } };
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
        QTest::newRow("online") << "online"
                                << "api.zov1v1.net";
        QTest::newRow("beta") << "beta"
                              << "beta-api.zov1v1.net";
        QTest::newRow("dev") << "dev"
                             << "dev-api.zov1v1.net";
        QTest::newRow("empty means online") << ""
                                            << "api.zov1v1.net";
        QTest::newRow("Beta is not beta") << "Beta"
                                          << "api.zov1v1.net";
        QTest::newRow("unknown means online") << "test"
                                              << "api.zov1v1.net";
    }

    void environmentChoosesHostCaseSensitively()
    {
        QFETCH(QString, env);
        QFETCH(QString, host);
        setServiceEnv(env);
        QCOMPARE(businessApiUrl(QStringLiteral("/olbusiness/api/course/init")),
            QStringLiteral("https://") + host + QStringLiteral("/olbusiness/api/course/init"));
    }

    void overrideHostServesEveryEnvironment()
    {
        qputenv("ZOV_API_HOST", "127.0.0.1:8443");
        for (const char* env : { "online", "beta", "dev", "" })
            QCOMPARE(businessApiHost(QString::fromLatin1(env)), QStringLiteral("127.0.0.1:8443"));
    }

    void fullReplyFillsEveryAddress()
    {
        const QJsonArray rd { entry(QStringLiteral("courseInfoUrl"), QStringLiteral("https://c")),
            entry(QStringLiteral("getDeviceScore"), QStringLiteral("https://d")),
            entry(QStringLiteral("saveNoteImageUrl"), QStringLiteral("https://n")) };
        const QJsonArray h5 { entry(QStringLiteral("loginUrl"), QStringLiteral("http://login")),
            entry(QStringLiteral("evaluationUrl"), QStringLiteral("http://eval")) };
        ContextData data;
        QVERIFY(applyRemoteConfig(reply(h5, rd), data));
        QCOMPARE(data.host, QStringLiteral("api.test"));
        QCOMPARE(data.loginUrl, QStringLiteral("http://login"));
        QCOMPARE(data.evaluationUrl, QStringLiteral("http://eval"));
        QCOMPARE(data.courseInfoUrl, QStringLiteral("https://c"));
        QCOMPARE(data.getDeviceScore, QStringLiteral("https://d"));
        QCOMPARE(data.saveNoteImageUrl, QStringLiteral("https://n"));
        QCOMPARE(data.rdUrlList, rd);
    }

    void laterDuplicateWins()
    {
        const QJsonArray h5 { entry(QStringLiteral("loginUrl"), QStringLiteral("http://first")),
            entry(QStringLiteral("loginUrl"), QStringLiteral("http://second")) };
        ContextData data;
        QVERIFY(applyRemoteConfig(reply(h5, {}), data));
        QCOMPARE(data.loginUrl, QStringLiteral("http://second"));
    }

    void namesAreCaseSensitiveAndListsAreSeparate()
    {
        const QJsonArray h5 { entry(QStringLiteral("LoginUrl"), QStringLiteral("http://wrong")),
            entry(QStringLiteral("courseInfoUrl"), QStringLiteral("http://h5")) };
        ContextData data;
        data.loginUrl = QStringLiteral("http://earlier");
        QVERIFY(applyRemoteConfig(reply(h5, {}), data));
        QCOMPARE(data.loginUrl, QString());
        QCOMPARE(data.courseInfoUrl, QString());
    }

    void replyWithoutDataChangesNothing()
    {
        ContextData data;
        data.loginUrl = QStringLiteral("http://kept");
        data.host = QStringLiteral("kept.host");
        QVERIFY(!applyRemoteConfig(QJsonObject { { QStringLiteral("code"), 1 } }, data));
        QCOMPARE(data.loginUrl, QStringLiteral("http://kept"));
        QCOMPARE(data.host, QStringLiteral("kept.host"));
    }

    void malformedListsLeaveAddressesEmpty()
    {
        const QJsonObject odd { { QStringLiteral("data"),
            QJsonObject { { QStringLiteral("h5UrlList"), QStringLiteral("x") },
                { QStringLiteral("rdUrlList"),
                    QJsonArray { 1, QJsonArray {}, QJsonValue() } } } } };
        ContextData data;
        data.loginUrl = QStringLiteral("http://earlier");
        QVERIFY(applyRemoteConfig(odd, data));
        QCOMPARE(data.loginUrl, QString());
        QCOMPARE(data.host, QString());
        QCOMPARE(data.rdUrlList.size(), 3);
    }
};

QTEST_GUILESS_MAIN(RemoteConfigTest)
#include "tst_remoteconfig.moc"
