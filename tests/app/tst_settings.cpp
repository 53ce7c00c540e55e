#include "app/Context.h"
#include "app/RemoteConfig.h"
#include "app/Settings.h"

#include "TestEnvironment.h"

#include <QFile>
#include <QJsonArray>
#include <QSettings>
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

// The setting files and the remote configuration the program keeps between runs.
class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env.reset(new TestEnvironment);
        m_env->apply();
    }

    // The agreement is written as "Privacy"/"Privacy" and read back as "privacy"/"privacy";
    // a write in another case lands in the group the file already has.
    void settingsIgnoreTheCaseOfGroupsAndKeys()
    {
        writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"), QStringLiteral("false"));
        QCOMPARE(readSetting(QStringLiteral("privacy"), QStringLiteral("privacy")).toString(),
            QStringLiteral("false"));

        writeSetting(QStringLiteral("PRIVACY"), QStringLiteral("privacy"), QStringLiteral("true"));
        QSettings file(m_env->dataFolder() + QStringLiteral("/setting.ini"), QSettings::IniFormat);
        QCOMPARE(file.childGroups(), QStringList { QStringLiteral("Privacy") });
        QCOMPARE(file.value(QStringLiteral("Privacy/Privacy")).toString(), QStringLiteral("true"));
    }

    void md5ComparesLowerCaseHexOfAnExistingFile_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<bool>("expected");
        // md5("package bytes")
        const QString md5 = QStringLiteral("92b5ee36dd2ec180e12bf3344f9cf676");
        QTest::newRow("lower case matches") << "package.zip" << md5 << true;
        QTest::newRow("upper case does not") << "package.zip" << md5.toUpper() << false;
        QTest::newRow("missing file") << "missing"
                                      << "d41d8cd98f00b204e9800998ecf8427e" << false;
    }

    void md5ComparesLowerCaseHexOfAnExistingFile()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, md5);
        QFETCH(bool, expected);
        QFile file(m_env->temp() + QStringLiteral("/package.zip"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("package bytes");
        file.close();
        QCOMPARE(compareFileMd5(m_env->temp() + QLatin1Char('/') + fileName, md5), expected);
    }

    void replyDecidesWhatIsKept_data()
    {
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<bool>("applied");
        // host, loginUrl, courseInfoUrl, evaluationUrl and getDeviceScore afterwards.
        QTest::addColumn<QStringList>("kept");

        QTest::newRow("every list read")
            << reply({ entry("loginUrl", "http://login"), entry("evaluationUrl", "http://eval") },
                   { entry("courseInfoUrl", "https://c"), entry("getDeviceScore", "https://d") })
            << true
            << QStringList { "api.test", "http://login", "https://c", "http://eval", "https://d" };
        QTest::newRow("later duplicate wins")
            << reply({ entry("loginUrl", "http://first"), entry("loginUrl", "http://second") }, {})
            << true << QStringList { "api.test", "http://second", "", "", "" };
        QTest::newRow("names are case-sensitive, lists separate")
            << reply({ entry("LoginUrl", "http://wrong"), entry("courseInfoUrl", "http://h5") }, {})
            << true << QStringList { "api.test", "", "", "", "" };
        QTest::newRow("no data changes nothing")
            << QJsonObject { { "code", 1 } } << false
            << QStringList { "kept.host", "http://earlier", "http://earlier-course", "", "" };
        QTest::newRow("malformed lists empty the addresses")
            << QJsonObject { { "data",
                   QJsonObject { { "h5UrlList", "x" },
                       { "rdUrlList", QJsonArray { 1, QJsonArray {}, QJsonValue() } } } } }
            << true << QStringList { "", "", "", "", "" };
    }

    void replyDecidesWhatIsKept()
    {
        QFETCH(QJsonObject, answer);
        QFETCH(bool, applied);
        ContextData data;
        data.loginUrl = QStringLiteral("http://earlier");
        data.courseInfoUrl = QStringLiteral("http://earlier-course");
        data.host = QStringLiteral("kept.host");
        QCOMPARE(applyRemoteConfig(answer, data), applied);
        QTEST(QStringList({ data.host, data.loginUrl, data.courseInfoUrl, data.evaluationUrl,
                  data.getDeviceScore }),
            "kept");
        // The whole list goes to the live room.
        if (applied)
            QCOMPARE(data.rdUrlList, answer.value("data")["rdUrlList"].toArray());
    }

private:
    QScopedPointer<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
