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

QJsonObject pluginRequest(const PageDriver& driver, const QString& plugin)
{
    return driver.waitForRequest([&plugin](const QJsonObject& request) {
        return request.value(QStringLiteral("plugin")).toString() == plugin;
    });
}

} // namespace

// The demo pages in a real browser engine: what they ask of the client through the
// bridge, and how they get on without one.
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
    void agreementLinksGoThroughTheClient_data();
    void agreementLinksGoThroughTheClient();
    void toolButtonsAskTheClient_data();
    void toolButtonsAskTheClient();
    void toolButtonsOpenAgreements_data();
    void toolButtonsOpenAgreements();
    void logoutReturnsToLogin();
    void lessonCardsCarryTheServiceValues();
    void printWaitsForPageSizeAndFinish();
    void evaluationPanelForTheAskedClass();
    void pagesWorkWithoutTheClient_data();
    void pagesWorkWithoutTheClient();

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
    const HttpResult result
        = HttpExchange(m_service).get(pageUrl(QStringLiteral("/web/api/lessons")));
    m_lessons = QJsonDocument::fromJson(result.body)
                    .object()
                    .value(QStringLiteral("data"))
                    .toObject()
                    .value(QStringLiteral("lessons"))
                    .toArray();
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
        const bool over = lesson.toObject().value(QStringLiteral("state")).toString()
            == QLatin1String("finished");
        if (over == finished)
            return lesson.toObject();
    }
    return {};
}

bool ServicePagesTest::openTimetable()
{
    return m_driver->load(pageUrl(timetablePage, QStringLiteral("version=1.6.7.0")))
        && m_driver->waitFor(
            QStringLiteral("document.querySelectorAll('.lesson-card').length === %1")
                .arg(m_lessons.size()));
}

void ServicePagesTest::loginHandsTheSessionToTheClient()
{
    QVERIFY(m_driver->load(pageUrl(loginPage, QStringLiteral("isagree=true&version=1.6.7.0"))));
    m_driver->evaluate(QStringLiteral("document.getElementById('account').value = '小明01';"
                                      "document.getElementById('password').value = 'secret';"));
    m_driver->click(QStringLiteral("#login-btn"));

    const QJsonObject session = m_driver->waitForEnterRoom(1);
    QVERIFY2(!session.isEmpty(), qPrintable(m_driver->consoleText()));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$"))
                .match(session.value(QStringLiteral("token")).toString())
                .hasMatch());
    QVERIFY(!session.value(QStringLiteral("uid")).toString().isEmpty());
    QVERIFY(session.value(QStringLiteral("userId")).isString());

    const QJsonObject sent
        = QJsonDocument::fromJson(m_service.lastRequest(QStringLiteral("/web/api/login"))
                                      .value(QStringLiteral("body"))
                                      .toString()
                                      .toUtf8())
              .object();
    QCOMPARE(sent.value(QStringLiteral("account")).toString(), QStringLiteral("小明01"));
    QCOMPARE(sent.value(QStringLiteral("password")).toString(), QStringLiteral("secret"));

    QVERIFY(m_driver->waitFor(QStringLiteral("location.pathname === '%1'").arg(timetablePage)));
    QVERIFY(
        m_driver->waitFor(QStringLiteral("document.querySelectorAll('.lesson-card').length > 0")));
    QCOMPARE(
        m_driver->evaluate(QStringLiteral("new URLSearchParams(location.search).get('version')"))
            .toString(),
        QStringLiteral("1.6.7.0"));
}

void ServicePagesTest::emptyLoginStaysOnThePage()
{
    const int loginsBefore = m_service.requestCount(QStringLiteral("/web/api/login"));
    QVERIFY(m_driver->load(pageUrl(loginPage, QStringLiteral("isagree=true"))));
    m_driver->evaluate(QStringLiteral("document.getElementById('account').value = 'someone'"));
    m_driver->click(QStringLiteral("#login-btn"));
    QVERIFY(m_driver->waitFor(QStringLiteral(
        "document.getElementById('login-error').textContent === '请输入账号和密码'")));
    QCOMPARE(m_service.requestCount(QStringLiteral("/web/api/login")), loginsBefore);
    QVERIFY(m_driver->waitForEnterRoom(1, PageDriver::absenceWaitMs).isEmpty());
    QCOMPARE(m_driver->evaluate(QStringLiteral("location.pathname")).toString(), loginPage);
}

void ServicePagesTest::versionsFromQueryAndClient()
{
    QVERIFY(m_driver->load(pageUrl(loginPage, QStringLiteral("isagree=true&version=1.6.7.0"))));
    QVERIFY(!pluginRequest(*m_driver, QStringLiteral("common.getVersion"))
                 .value(QStringLiteral("callbackId"))
                 .toString()
                 .isEmpty());
    QVERIFY(m_driver->waitFor(QStringLiteral(
        "document.getElementById('client-version').textContent.indexOf('1.6.7.9') >= 0")));
    QVERIFY(m_driver->evaluate(QStringLiteral("document.getElementById('version').textContent"))
                .toString()
                .contains(QStringLiteral("1.6.7.0")));
    QVERIFY(
        m_driver
            ->evaluate(QStringLiteral("document.getElementById('status-line').dataset.lastAnswer"))
            .toString()
            .contains(QStringLiteral("1.6.7.9")));
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
        m_driver->evaluate(QStringLiteral("document.getElementById('agree-box').checked")).toBool(),
        initially);
    m_driver->click(QStringLiteral("#agree-box"));
    QCOMPARE(
        m_driver->waitForEnterRoom(6).value(QStringLiteral("checked")), QJsonValue(!initially));
}

void ServicePagesTest::agreementLinksGoThroughTheClient_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("type");

    QTest::newRow("user agreement") << "#user-agreement-link" << 4;
    QTest::newRow("privacy policy") << "#privacy-link" << 5;
}

void ServicePagesTest::agreementLinksGoThroughTheClient()
{
    QFETCH(QString, link);
    QFETCH(int, type);
    QVERIFY(m_driver->load(pageUrl(loginPage, QStringLiteral("isagree=false"))));
    m_driver->click(link);
    QCOMPARE(m_driver->waitForEnterRoom(type).value(QStringLiteral("type")).toInt(), type);
    // The link opened nothing itself, and did not tick the box it sits in.
    QCOMPARE(m_driver->evaluate(QStringLiteral("location.pathname")).toString(), loginPage);
    QCOMPARE(
        m_driver->evaluate(QStringLiteral("document.getElementById('agree-box').checked")).toBool(),
        false);
    QVERIFY(m_driver->waitForEnterRoom(6, PageDriver::absenceWaitMs).isEmpty());
}

void ServicePagesTest::toolButtonsAskTheClient_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("plugin");

    const QString timetable = timetablePage;
    QTest::newRow("maximise") << timetable << "#btn-max"
                              << "common.maxWindow";
    QTest::newRow("minimise") << timetable << "#btn-min"
                              << "common.minWindow";
    QTest::newRow("close") << timetable << "#btn-close"
                           << "common.closeWindow";
    QTest::newRow("device check") << timetable << "#btn-device"
                                  << "common.openDeviceMonitor";
    QTest::newRow("update check") << timetable << "#btn-update"
                                  << "common.checkUpdate";
    QTest::newRow("about") << timetable << "#btn-about"
                           << "common.aboutUs";
    QTest::newRow("log upload") << timetable << "#btn-upload-log"
                                << "common.upLoadLog";
    QTest::newRow("log-in minimise") << loginPage << "#login-min"
                                     << "common.minWindow";
    QTest::newRow("log-in close") << loginPage << "#login-close"
                                  << "common.closeWindow";
}

void ServicePagesTest::toolButtonsAskTheClient()
{
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(QString, plugin);
    QVERIFY(m_driver->load(pageUrl(page)));
    m_driver->click(button);
    const QJsonObject request = pluginRequest(*m_driver, plugin);
    QVERIFY2(!request.isEmpty(), qPrintable(m_driver->consoleText()));
    QCOMPARE(request.value(QStringLiteral("data")).toObject(), QJsonObject());
    QVERIFY(!request.value(QStringLiteral("callbackId")).toString().isEmpty());
    QVERIFY(m_driver->waitFor(
        QStringLiteral("document.getElementById('status-line').dataset.lastPlugin === '%1'")
            .arg(plugin)));
}

void ServicePagesTest::toolButtonsOpenAgreements_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("type");

    QTest::newRow("user agreement") << "#btn-user-agreement" << 4;
    QTest::newRow("privacy policy") << "#btn-privacy" << 5;
}

void ServicePagesTest::toolButtonsOpenAgreements()
{
    QFETCH(QString, button);
    QFETCH(int, type);
    QVERIFY(m_driver->load(pageUrl(timetablePage)));
    m_driver->click(button);
    QCOMPARE(m_driver->waitForEnterRoom(type), (QJsonObject { { QStringLiteral("type"), type } }));
}

void ServicePagesTest::logoutReturnsToLogin()
{
    QVERIFY(openTimetable());
    m_driver->click(QStringLiteral("#btn-logout"));
    QCOMPARE(m_driver->waitForEnterRoom(8), (QJsonObject { { QStringLiteral("type"), 8 } }));
    QVERIFY(m_driver->waitFor(QStringLiteral("location.pathname === '%1'").arg(loginPage)));
    QCOMPARE(
        m_driver->evaluate(QStringLiteral("new URLSearchParams(location.search).get('version')"))
            .toString(),
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

    m_driver->click(QStringLiteral("#lesson-%1 .enter-btn")
                        .arg(upcoming.value(QStringLiteral("planId")).toInt()));
    const QJsonObject live = m_driver->waitForEnterRoom(2);
    for (const QString& key : { QStringLiteral("planId"), QStringLiteral("course_type"),
             QStringLiteral("grade_type"), QStringLiteral("oltoken") })
        QCOMPARE(live.value(key), upcoming.value(key));

    m_driver->click(QStringLiteral("#lesson-%1 .replay-btn")
                        .arg(finished.value(QStringLiteral("planId")).toInt()));
    QCOMPARE(m_driver->waitForEnterRoom(3).value(QStringLiteral("replayInfo")),
        finished.value(QStringLiteral("replayInfo")));
}

void ServicePagesTest::printWaitsForPageSizeAndFinish()
{
    QVERIFY(openTimetable());
    m_driver->click(QStringLiteral(".lesson-card.finished .print-btn"));
    QVERIFY(!m_driver->waitForEnterRoom(9).isEmpty());
    QVERIFY(m_driver->waitForEnterRoom(10, PageDriver::absenceWaitMs).isEmpty());

    m_driver->fire(QStringLiteral("set_a4_page_size"),
        QJsonObject { { QStringLiteral("A4_width"), 700 }, { QStringLiteral("A4_height"), 990 } });
    QVERIFY(!m_driver->waitForEnterRoom(10).isEmpty());
    const QString paper = QStringLiteral("document.querySelector('#print-area .paper')");
    QCOMPARE(m_driver->evaluate(paper + QStringLiteral(".style.width")).toString(),
        QStringLiteral("700px"));
    QCOMPARE(m_driver->evaluate(paper + QStringLiteral(".style.height")).toString(),
        QStringLiteral("990px"));
    QCOMPARE(
        m_driver->evaluate(paper + QStringLiteral(".querySelectorAll('.paper-question').length"))
            .toInt(),
        5);
    QVERIFY(m_driver->evaluate(QStringLiteral("document.body.classList.contains('printing')"))
                .toBool());

    m_driver->fire(QStringLiteral("print_finished"), QString());
    QVERIFY(m_driver->waitFor(QStringLiteral("!document.body.classList.contains('printing')")));
    QCOMPARE(m_driver->evaluate(QStringLiteral("document.getElementById('toast').textContent"))
                 .toString(),
        QStringLiteral("打印完成"));
}

void ServicePagesTest::evaluationPanelForTheAskedClass()
{
    QVERIFY(openTimetable());
    QVERIFY(m_driver->evaluate(QStringLiteral("document.getElementById('evaluation-panel').hidden"))
                .toBool());
    m_driver->fire(QStringLiteral("listenEvaluate"),
        QJsonObject { { QStringLiteral("class_id"), 20481 }, { QStringLiteral("course_type"), 1 },
            { QStringLiteral("grade_type"), 5 }, { QStringLiteral("evaluateurl_type"), false } });
    QVERIFY(
        m_driver->waitFor(QStringLiteral("!document.getElementById('evaluation-panel').hidden")));
    QCOMPARE(
        m_driver
            ->evaluate(QStringLiteral("document.getElementById('evaluation-class-id').textContent"))
            .toString(),
        QStringLiteral("20481"));
    QVERIFY(
        m_driver->evaluate(QStringLiteral("document.getElementById('evaluation-submit').disabled"))
            .toBool());

    m_driver->click(QStringLiteral("#evaluation-stars .star[data-score='4']"));
    m_driver->evaluate(
        QStringLiteral("document.getElementById('evaluation-comment').value = '讲得很清楚'"));
    m_driver->click(QStringLiteral("#evaluation-submit"));
    QVERIFY(
        m_driver->waitFor(QStringLiteral("document.getElementById('evaluation-panel').hidden")));
    const QJsonObject submitted = QJsonDocument::fromJson(
        m_driver
            ->evaluate(
                QStringLiteral("document.getElementById('evaluation-panel').dataset.submitted"))
            .toString()
            .toUtf8())
                                      .object();
    QCOMPARE(submitted.value(QStringLiteral("class_id")).toInt(), 20481);
    QCOMPARE(submitted.value(QStringLiteral("score")).toInt(), 4);
    QCOMPARE(submitted.value(QStringLiteral("comment")).toString(), QStringLiteral("讲得很清楚"));
}

void ServicePagesTest::pagesWorkWithoutTheClient_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("shown");

    QTest::newRow("log-in") << loginPage << "document.getElementById('login-btn').offsetWidth > 0";
    QTest::newRow("timetable") << timetablePage
                               << QStringLiteral(
                                      "document.querySelectorAll('.lesson-card').length === %1")
                                      .arg(m_lessons.size());
}

void ServicePagesTest::pagesWorkWithoutTheClient()
{
    QFETCH(QString, page);
    QFETCH(QString, shown);
    m_driver = std::make_unique<PageDriver>(false);
    QVERIFY(m_driver->load(pageUrl(page, QStringLiteral("isagree=true&version=1.6.7.0"))));
    QVERIFY(m_driver->waitFor(shown));
    QCOMPARE(
        m_driver->evaluate(QStringLiteral("document.getElementById('bridge-notice').textContent"))
            .toString(),
        QStringLiteral("请在客户端中打开"));
    m_driver->click(
        page == loginPage ? QStringLiteral("#login-close") : QStringLiteral("#btn-max"));
    QVERIFY(m_driver->consoleText().contains(QStringLiteral("未在客户端中")));
}

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    ServicePagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ServicePagesTest.moc"
