#include "HttpExchange.h"
#include "LocalService.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

const QString loginPath = QStringLiteral("/web/api/login");
const QString lessonsPath = QStringLiteral("/web/api/lessons");

QJsonObject objectOf(const HttpResult& result)
{
    return QJsonDocument::fromJson(result.body).object();
}

QByteArray loginBody(const QString& account, const QString& password)
{
    return QJsonDocument(QJsonObject { { "account", account }, { "password", password } })
        .toJson(QJsonDocument::Compact);
}

bool matches(const QString& pattern, const QString& text)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

} // namespace

// The pages' own APIs on the plain HTTP port: log-in and the timetable, and the pages
// that use them.
class ServiceWebApiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void loginGivesASessionPerAccount();
    void loginRefused_data();
    void loginRefused();
    void lessonsOfBothKindsWithEveryMember();

private:
    QJsonObject login(const QString& account);

    LocalService m_service;
    QJsonArray m_lessons;
};

void ServiceWebApiTest::initTestCase()
{
    QVERIFY(m_service.start());
    QUrl url = m_service.webBaseUrl();
    url.setPath(lessonsPath);
    const HttpResult result = HttpExchange(m_service).get(url);
    QCOMPARE(result.status, 200);
    QVERIFY(result.contentType.startsWith("application/json"));
    const QJsonObject reply = objectOf(result);
    QCOMPARE(reply.value("code").toInt(-1), 0);
    m_lessons = reply.value("data").toObject().value("lessons").toArray();
    QVERIFY(!m_lessons.isEmpty());
}

QJsonObject ServiceWebApiTest::login(const QString& account)
{
    const HttpResult result
        = HttpExchange(m_service).postWeb(loginPath, loginBody(account, "secret"));
    const QJsonObject reply = objectOf(result);
    if (result.status != 200 || reply.value("code").toInt(-1) != 0)
        return {};
    return reply.value("data").toObject();
}

// Every log-in is a new session; the user id belongs to the account.
void ServiceWebApiTest::loginGivesASessionPerAccount()
{
    const QJsonObject first = login("13800000000");
    const QJsonObject second = login("13800000000");
    QVERIFY(matches("[0-9a-f]{32}", first.value("token").toString()));
    QVERIFY(matches("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}", first.value("uid").toString()));
    // The page hands userId on as text; the client converts it to a number.
    QVERIFY(first.value("userId").isString());
    QVERIFY(matches("[1-9][0-9]{7}", first.value("userId").toString()));
    QVERIFY(first.value("token") != second.value("token"));
    QVERIFY(first.value("uid") != second.value("uid"));
    QCOMPARE(second.value("userId"), first.value("userId"));
    QVERIFY(login("student-b").value("userId") != first.value("userId"));
    QVERIFY(!login("学生账号").value("userId").toString().isEmpty());
}

void ServiceWebApiTest::loginRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("code");

    QTest::newRow("empty account") << loginBody({}, "x") << 200 << 1;
    QTest::newRow("blank account") << loginBody("  ", "x") << 200 << 1;
    QTest::newRow("empty password") << loginBody("a", {}) << 200 << 1;
    QTest::newRow("no members") << QByteArray("{}") << 200 << 1;
    QTest::newRow("account as number") << QByteArray(R"({"account":1,"password":"x"})") << 200 << 1;
    QTest::newRow("not json") << QByteArray("account=a&password=x") << 400 << 400;
    QTest::newRow("array") << QByteArray(R"(["a","x"])") << 400 << 400;
}

void ServiceWebApiTest::loginRefused()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(int, code);
    const HttpResult result = HttpExchange(m_service).postWeb(loginPath, body);
    QCOMPARE(result.status, status);
    const QJsonObject reply = objectOf(result);
    QCOMPARE(reply.value("code").toInt(-1), code);
    QVERIFY(!reply.contains("data"));
    if (code == 1)
        QCOMPARE(reply.value("msg").toString(), QStringLiteral("请输入账号和密码"));
}

// The timetable needs lessons still to come, with what entering one takes, and
// finished ones, with a replay served by the pages' own port.
void ServiceWebApiTest::lessonsOfBothKindsWithEveryMember()
{
    const QStringList numbers { "planId", "course_type", "grade_type" };
    const QStringList texts { "title", "teacher", "time", "state" };
    QUrl replayHost = m_service.webBaseUrl();
    replayHost.setPath("/replay/");
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QSet<int> planIds;
    int finished = 0;
    for (const QJsonValue& value : qAsConst(m_lessons)) {
        const QJsonObject lesson = value.toObject();
        for (const QString& member : numbers)
            QVERIFY2(lesson.value(member).isDouble(), qPrintable(member));
        for (const QString& member : texts)
            QVERIFY2(!lesson.value(member).toString().isEmpty(), qPrintable(member));
        planIds.insert(lesson.value("planId").toInt());

        const bool over = lesson.value("state").toString() == QLatin1String("finished");
        finished += over ? 1 : 0;
        QCOMPARE(lesson.value("oltoken").toString().isEmpty(), over);
        const qint64 time = qint64(lesson.value(over ? "endTime" : "startTime").toDouble());
        QCOMPARE(time < now, over);
        QCOMPARE(lesson.contains("replayInfo"), over);
        if (over) {
            const QJsonObject replay = lesson.value("replayInfo").toObject();
            QCOMPARE(replay.value("replayHost").toArray(), QJsonArray { replayHost.toString() });
            QCOMPARE(replay.value("replayFile").toString(), QStringLiteral("demo.mp4"));
        }
    }
    QCOMPARE(planIds.size(), m_lessons.size());
    QVERIFY(finished > 0);
    QVERIFY(finished < m_lessons.size());
}

QTEST_GUILESS_MAIN(ServiceWebApiTest)
#include "ServiceWebApiTest.moc"
