#include "HttpExchange.h"
#include "LocalService.h"
#include "PageDriver.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString loginPage = QStringLiteral("/pages/login.html");
const QString timetablePage = QStringLiteral("/pages/timetable.html");

} // namespace

// The demo pages in a real browser engine: what they ask of the client through the
// bridge, and in which order.
class ServicePagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loginHandsTheSessionToTheClient();
    void emptyLoginStaysOnThePage();
    void versionsFromQueryAndClient();
    void agreementBoxFollowsQueryAndReportsChanges_data();
    void agreementBoxFollowsQueryAndReportsChanges();
    void buttonsAskTheClient_data();
    void buttonsAskTheClient();
    void logoutReturnsToLogin();
    void lessonCardsCarryTheServiceValues();
    void printWaitsForPageSizeAndFinish();
    void evaluationPanelForTheAskedClass();

private:
    QUrl pageUrl(const QString& path, const QString& query = {}) const;
    QJsonObject serviceLesson(bool finished) const;
    bool openTimetable();

    LocalService m_service;
    QJsonArray m_lessons;
    std::unique_ptr<PageDriver> m_driver;
};

void ServicePagesTest::initTestCase()
{
    QVERIFY(m_service.start());
    const HttpResult result = HttpExchange(m_service).get(pageUrl("/web/api/lessons"));
    m_lessons = QJsonDocument::fromJson(result.body)["data"]["lessons"].toArray();
    QVERIFY(!m_lessons.isEmpty());
}

void ServicePagesTest::init()
{
    m_driver = std::make_unique<PageDriver>(true);
}

void ServicePagesTest::cleanup()
{
    if (QTest::currentTestFailed())
        qInfo().noquote() << "page console:\n" << m_driver->consoleText();
    m_driver.reset();
}

QUrl ServicePagesTest::pageUrl(const QString& path, const QString& query) const
{
    QUrl url = m_service.webBaseUrl();
    url.setPath(path);
    if (!query.isEmpty())
        url.setQuery(query);
    return url;
}

QJsonObject ServicePagesTest::serviceLesson(bool finished) const
{
    for (const QJsonValue& lesson : m_lessons) {
        const bool over = lesson.toObject().value("state").toString() == QLatin1String("finished");
        if (over == finished)
            return lesson.toObject();
    }
    return {};
}

bool ServicePagesTest::openTimetable()
{
    return m_driver->load(pageUrl(timetablePage, "version=1.6.7.0"))
        && m_driver->waitFor(
            QStringLiteral("document.querySelectorAll('.lesson-card').length === %1")
                .arg(m_lessons.size()));
}

void ServicePagesTest::loginHandsTheSessionToTheClient()
{
    QVERIFY(m_driver->load(pageUrl(loginPage, "isagree=true&version=1.6.7.0")));
    m_driver->evaluate(QStringLiteral("document.getElementById('account').value = '小明01';"
                                      "document.getElementById('password').value = 'secret';"));
    m_driver->click("#login-btn");

    const QJsonObject session = m_driver->waitForEnterRoom(1);
    QVERIFY2(!session.isEmpty(), qPrintable(m_driver->consoleText()));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$"))
                .match(session.value("token").toString())
                .hasMatch());
    QVERIFY(!session.value("uid").toString().isEmpty());
    QVERIFY(session.value("userId").isString());

    const QJsonObject sent = QJsonDocument::fromJson(
        m_service.lastRequest("/web/api/login").value("body").toString().toUtf8())
                                 .object();
    QCOMPARE(sent.value("account").toString(), QStringLiteral("小明01"));
    QCOMPARE(sent.value("password").toString(), QStringLiteral("secret"));

    QVERIFY(m_driver->waitFor(QStringLiteral("location.pathname === '%1'").arg(timetablePage)));
    QVERIFY(m_driver->waitFor("document.querySelectorAll('.lesson-card').length > 0"));
    QCOMPARE(m_driver->evaluate("new URLSearchParams(location.search).get('version')").toString(),
        QStringLiteral("1.6.7.0"));
}

void ServicePagesTest::emptyLoginStaysOnThePage()
{
    const int loginsBefore = m_service.requestCount("/web/api/login");
    QVERIFY(m_driver->load(pageUrl(loginPage, "isagree=true")));
    m_driver->evaluate("document.getElementById('account').value = 'someone'");
    m_driver->click("#login-btn");
    QVERIFY(m_driver->waitFor(QStringLiteral(
        "document.getElementById('login-error').textContent === '请输入账号和密码'")));
    QCOMPARE(m_service.requestCount("/web/api/login"), loginsBefore);
    QVERIFY(m_driver->waitForEnterRoom(1, PageDriver::absenceWaitMs).isEmpty());
    QCOMPARE(m_driver->evaluate("location.pathname").toString(), loginPage);
}

void ServicePagesTest::versionsFromQueryAndClient()
{
    QVERIFY(m_driver->load(pageUrl(loginPage, "isagree=true&version=1.6.7.0")));
    const QJsonObject asked = m_driver->waitForRequest([](const QJsonObject& request) {
        return request.value("plugin") == QLatin1String("common.getVersion");
    });
    QVERIFY(!asked.value("callbackId").toString().isEmpty());
    // The bridge stand-in answers 1.6.7.9; the query says what the page was opened with.
    QVERIFY(m_driver->waitFor(
        "document.getElementById('client-version').textContent.indexOf('1.6.7.9') >= 0"));
    QVERIFY(m_driver->evaluate("document.getElementById('version').textContent")
                .toString()
                .contains("1.6.7.0"));
}

void ServicePagesTest::agreementBoxFollowsQueryAndReportsChanges_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("initially");

    QTest::newRow("agreed") << "isagree=true&version=1.6.7.0" << true;
    QTest::newRow("not agreed") << "isagree=false&version=1.6.7.0" << false;
    QTest::newRow("never asked") << "isagree=&version=1.6.7.0" << false;
    QTest::newRow("no query") << "" << false;
}

void ServicePagesTest::agreementBoxFollowsQueryAndReportsChanges()
{
    QFETCH(QString, query);
    QFETCH(bool, initially);
    QVERIFY(m_driver->load(pageUrl(loginPage, query)));
    QCOMPARE(
        m_driver->evaluate("document.getElementById('agree-box').checked").toBool(), initially);
    m_driver->click("#agree-box");
    QCOMPARE(m_driver->waitForEnterRoom(6).value("checked"), QJsonValue(!initially));
}

void ServicePagesTest::buttonsAskTheClient_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<QJsonObject>("data");

    const QString enterRoom = QStringLiteral("common.enterRoom");
    const struct
    {
        const char* tag;
        const QString& page;
        const char* button;
        const char* plugin;
    } plain[] = {
        { "maximise", timetablePage, "#btn-max", "common.maxWindow" },
        { "minimise", timetablePage, "#btn-min", "common.minWindow" },
        { "close", timetablePage, "#btn-close", "common.closeWindow" },
        { "device check", timetablePage, "#btn-device", "common.openDeviceMonitor" },
        { "update check", timetablePage, "#btn-update", "common.checkUpdate" },
        { "about", timetablePage, "#btn-about", "common.aboutUs" },
        { "log upload", timetablePage, "#btn-upload-log", "common.upLoadLog" },
        { "log-in minimise", loginPage, "#login-min", "common.minWindow" },
        { "log-in close", loginPage, "#login-close", "common.closeWindow" },
    };
    for (const auto& row : plain)
        QTest::newRow(row.tag) << row.page << row.button << row.plugin << QJsonObject();
    // The agreements open through the client, as enter-lesson requests of types 4 and 5.
    const auto type = [](int value) { return QJsonObject { { "type", value } }; };
    QTest::newRow("user agreement")
        << timetablePage << "#btn-user-agreement" << enterRoom << type(4);
    QTest::newRow("privacy policy") << timetablePage << "#btn-privacy" << enterRoom << type(5);
    QTest::newRow("log-in user agreement")
        << loginPage << "#user-agreement-link" << enterRoom << type(4);
    QTest::newRow("log-in privacy policy") << loginPage << "#privacy-link" << enterRoom << type(5);
}

void ServicePagesTest::buttonsAskTheClient()
{
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(QString, plugin);
    QFETCH(QJsonObject, data);
    QVERIFY(m_driver->load(pageUrl(page, "isagree=false")));
    m_driver->click(button);
    const QJsonObject request = m_driver->waitForRequest([&](const QJsonObject& request) {
        return request.value("plugin").toString() == plugin
            && request.value("data").toObject() == data;
    });
    QVERIFY2(!request.isEmpty(), qPrintable(m_driver->consoleText()));
    if (!data.contains("type"))
        QVERIFY(!request.value("callbackId").toString().isEmpty());

    // The page opened nothing itself, and a log-in page button did not tick the box.
    QCOMPARE(m_driver->evaluate("location.pathname").toString(), page);
    if (page == loginPage) {
        QCOMPARE(
            m_driver->evaluate("document.getElementById('agree-box').checked").toBool(), false);
        QVERIFY(m_driver->waitForEnterRoom(6, PageDriver::absenceWaitMs).isEmpty());
    }
}

void ServicePagesTest::logoutReturnsToLogin()
{
    QVERIFY(openTimetable());
    m_driver->click("#btn-logout");
    QCOMPARE(m_driver->waitForEnterRoom(8), (QJsonObject { { "type", 8 } }));
    QVERIFY(m_driver->waitFor(QStringLiteral("location.pathname === '%1'").arg(loginPage)));
    QCOMPARE(m_driver->evaluate("new URLSearchParams(location.search).get('version')").toString(),
        QStringLiteral("1.6.7.0"));
}

void ServicePagesTest::lessonCardsCarryTheServiceValues()
{
    QVERIFY(openTimetable());
    const QJsonObject upcoming = serviceLesson(false);
    const QJsonObject finished = serviceLesson(true);
    QCOMPARE(m_driver
                 ->evaluate(
                     QStringLiteral("document.querySelectorAll('.lesson-card .enter-btn').length + "
                                    "document.querySelectorAll('.lesson-card .replay-btn').length"))
                 .toInt(),
        m_lessons.size());

    m_driver->click(QStringLiteral("#lesson-%1 .enter-btn").arg(upcoming.value("planId").toInt()));
    const QJsonObject live = m_driver->waitForEnterRoom(2);
    for (const char* key : { "planId", "course_type", "grade_type", "oltoken" })
        QCOMPARE(live.value(key), upcoming.value(key));

    m_driver->click(QStringLiteral("#lesson-%1 .replay-btn").arg(finished.value("planId").toInt()));
    QCOMPARE(m_driver->waitForEnterRoom(3).value("replayInfo"), finished.value("replayInfo"));
}

void ServicePagesTest::printWaitsForPageSizeAndFinish()
{
    QVERIFY(openTimetable());
    m_driver->click(".lesson-card.finished .print-btn");
    QVERIFY(!m_driver->waitForEnterRoom(9).isEmpty());
    QVERIFY(m_driver->waitForEnterRoom(10, PageDriver::absenceWaitMs).isEmpty());

    m_driver->fire("set_a4_page_size", QJsonObject { { "A4_width", 700 }, { "A4_height", 990 } });
    QVERIFY(!m_driver->waitForEnterRoom(10).isEmpty());
    const QString paper = QStringLiteral("document.querySelector('#print-area .paper')");
    QCOMPARE(m_driver->evaluate(paper + QStringLiteral(".style.width")).toString(),
        QStringLiteral("700px"));
    QCOMPARE(m_driver->evaluate(paper + QStringLiteral(".style.height")).toString(),
        QStringLiteral("990px"));
    QVERIFY(m_driver->evaluate("document.body.classList.contains('printing')").toBool());

    m_driver->fire("print_finished", QString());
    QVERIFY(m_driver->waitFor("!document.body.classList.contains('printing')"));
}

void ServicePagesTest::evaluationPanelForTheAskedClass()
{
    QVERIFY(openTimetable());
    QVERIFY(m_driver->evaluate("document.getElementById('evaluation-panel').hidden").toBool());
    m_driver->fire("listenEvaluate",
        QJsonObject { { "class_id", 20481 }, { "course_type", 1 }, { "grade_type", 5 },
            { "evaluateurl_type", false } });
    QVERIFY(m_driver->waitFor("!document.getElementById('evaluation-panel').hidden"));
    QCOMPARE(
        m_driver->evaluate("document.getElementById('evaluation-class-id').textContent").toString(),
        QStringLiteral("20481"));
}

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    ServicePagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ServicePagesTest.moc"
