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
    return QJsonDocument(QJsonObject { { QStringLiteral("account"), account },
                             { QStringLiteral("password"), password } })
        .toJson(QJsonDocument::Compact);
}

bool matches(const QString& pattern, const QString& text)
{
    return QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$"))
        .match(text)
        .hasMatch();
}

} // namespace

// The pages' own APIs on the plain HTTP port: log-in and the timetable, and the pages
// that use them.
class ServiceWebApiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void loginGivesASession();
    void userIdStaysWithTheAccount();
    void loginRefused_data();
    void loginRefused();
    void lessonsHaveEveryMember_data();
    void lessonsHaveEveryMember();
    void lessonsOfBothKinds();
    void replayPointsBackAtThePages();
    void pageServed_data();
    void pageServed();

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
    QCOMPARE(reply.value(QStringLiteral("code")).toInt(-1), 0);
    m_lessons
        = reply.value(QStringLiteral("data")).toObject().value(QStringLiteral("lessons")).toArray();
    QVERIFY(!m_lessons.isEmpty());
}

QJsonObject ServiceWebApiTest::login(const QString& account)
{
    const HttpResult result
        = HttpExchange(m_service).postWeb(loginPath, loginBody(account, QStringLiteral("secret")));
    const QJsonObject reply = objectOf(result);
    if (result.status != 200 || reply.value(QStringLiteral("code")).toInt(-1) != 0)
        return {};
    return reply.value(QStringLiteral("data")).toObject();
}

void ServiceWebApiTest::loginGivesASession()
{
    const QJsonObject first = login(QStringLiteral("13800000000"));
    const QJsonObject second = login(QStringLiteral("13800000000"));
    QVERIFY(
        matches(QStringLiteral("[0-9a-f]{32}"), first.value(QStringLiteral("token")).toString()));
    QVERIFY(matches(QStringLiteral("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"),
        first.value(QStringLiteral("uid")).toString()));
    // The page hands userId on as text; the client converts it to a number.
    QVERIFY(first.value(QStringLiteral("userId")).isString());
    QVERIFY(
        matches(QStringLiteral("[1-9][0-9]{7}"), first.value(QStringLiteral("userId")).toString()));
    QVERIFY(first.value(QStringLiteral("token")) != second.value(QStringLiteral("token")));
    QVERIFY(first.value(QStringLiteral("uid")) != second.value(QStringLiteral("uid")));
}

void ServiceWebApiTest::userIdStaysWithTheAccount()
{
    const QString first
        = login(QStringLiteral("student-a")).value(QStringLiteral("userId")).toString();
    QCOMPARE(login(QStringLiteral("student-a")).value(QStringLiteral("userId")).toString(), first);
    QVERIFY(login(QStringLiteral("student-b")).value(QStringLiteral("userId")).toString() != first);
    QVERIFY(
        !login(QStringLiteral("学生账号")).value(QStringLiteral("userId")).toString().isEmpty());
}

void ServiceWebApiTest::loginRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("code");

    QTest::newRow("empty account") << loginBody({}, QStringLiteral("x")) << 200 << 1;
    QTest::newRow("blank account")
        << loginBody(QStringLiteral("  "), QStringLiteral("x")) << 200 << 1;
    QTest::newRow("empty password") << loginBody(QStringLiteral("a"), {}) << 200 << 1;
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
    QCOMPARE(reply.value(QStringLiteral("code")).toInt(-1), code);
    QVERIFY(!reply.contains(QStringLiteral("data")));
    if (code == 1)
        QCOMPARE(reply.value(QStringLiteral("msg")).toString(), QStringLiteral("请输入账号和密码"));
}

void ServiceWebApiTest::lessonsHaveEveryMember_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("type");

    QTest::newRow("planId") << "planId" << int(QJsonValue::Double);
    QTest::newRow("course_type") << "course_type" << int(QJsonValue::Double);
    QTest::newRow("grade_type") << "grade_type" << int(QJsonValue::Double);
    QTest::newRow("title") << "title" << int(QJsonValue::String);
    QTest::newRow("teacher") << "teacher" << int(QJsonValue::String);
    QTest::newRow("time") << "time" << int(QJsonValue::String);
    QTest::newRow("state") << "state" << int(QJsonValue::String);
}

void ServiceWebApiTest::lessonsHaveEveryMember()
{
    QFETCH(QString, member);
    QFETCH(int, type);
    for (const QJsonValue& lesson : qAsConst(m_lessons)) {
        const QJsonValue value = lesson.toObject().value(member);
        QCOMPARE(int(value.type()), type);
        QVERIFY(value.isDouble() || !value.toString().isEmpty());
    }
}

void ServiceWebApiTest::lessonsOfBothKinds()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QSet<int> planIds;
    int finished = 0;
    for (const QJsonValue& value : qAsConst(m_lessons)) {
        const QJsonObject lesson = value.toObject();
        planIds.insert(lesson.value(QStringLiteral("planId")).toInt());
        const bool over
            = lesson.value(QStringLiteral("state")).toString() == QLatin1String("finished");
        finished += over ? 1 : 0;
        QCOMPARE(lesson.contains(QStringLiteral("replayInfo")), over);
        QCOMPARE(lesson.value(QStringLiteral("oltoken")).toString().isEmpty(), over);
        const qint64 time
            = qint64(lesson.value(over ? QStringLiteral("endTime") : QStringLiteral("startTime"))
                         .toDouble());
        QCOMPARE(time < now, over);
    }
    QCOMPARE(planIds.size(), m_lessons.size());
    QVERIFY(finished > 0);
    QVERIFY(finished < m_lessons.size());
}

void ServiceWebApiTest::replayPointsBackAtThePages()
{
    for (const QJsonValue& value : qAsConst(m_lessons)) {
        const QJsonObject replay = value.toObject().value(QStringLiteral("replayInfo")).toObject();
        if (replay.isEmpty())
            continue;
        const QJsonArray hosts = replay.value(QStringLiteral("replayHost")).toArray();
        QCOMPARE(hosts.size(), 1);
        QUrl expected = m_service.webBaseUrl();
        expected.setPath(QStringLiteral("/replay/"));
        QCOMPARE(QUrl(hosts.first().toString()), expected);
        QCOMPARE(replay.value(QStringLiteral("replayFile")).toString(), QStringLiteral("demo.mp4"));
    }
}

void ServiceWebApiTest::pageServed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("expected");

    const QByteArray html("text/html; charset=utf-8");
    const QByteArray script("text/javascript; charset=utf-8");
    QTest::newRow("log-in form") << "/pages/login.html" << html << "id=\"login-btn\"";
    QTest::newRow("agreement box") << "/pages/login.html" << html << "我已阅读并同意";
    QTest::newRow("timetable") << "/pages/timetable.html" << html << "id=\"lesson-list\"";
    QTest::newRow("evaluation") << "/pages/timetable.html" << html << "id=\"evaluation-panel\"";
    QTest::newRow("paper") << "/pages/paper.html" << html << "id=\"paper\"";
    QTest::newRow("bridge script") << "/pages/js/client.js" << script << "_dhbridge";
    QTest::newRow("log-in script") << "/pages/js/login.js" << script << "/web/api/login";
    QTest::newRow("timetable script") << "/pages/js/timetable.js" << script << "/web/api/lessons";
    QTest::newRow("print styles") << "/pages/css/paper.css" << QByteArray("text/css; charset=utf-8")
                                  << "@media print";
}

void ServiceWebApiTest::pageServed()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, expected);
    QUrl url = m_service.webBaseUrl();
    url.setPath(path);
    const HttpResult result = HttpExchange(m_service).get(url);
    QCOMPARE(result.status, 200);
    QCOMPARE(result.contentType, contentType);
    QVERIFY(QString::fromUtf8(result.body).contains(expected));
}

QTEST_GUILESS_MAIN(ServiceWebApiTest)
#include "ServiceWebApiTest.moc"
