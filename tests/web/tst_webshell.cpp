#include "LocalService.h"
#include "ModalWatcher.h"
#include "PageProbe.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/Context.h"
#include "app/PrivacyDialog.h"
#include "app/Settings.h"
#include "core/NetworkHelper.h"
#include "devicedetect/DeviceDetect.h"
#include "devicedetect/HardwareResultView.h"
#include "replay/ReplayDataDownLoader.h"
#include "replay/ReplayPlayPage.h"
#include "update/CheckingDialog.h"
#include "update/UpdateManager.h"
#include "web/CourseListTitle.h"
#include "web/HybirdPluginManager.h"
#include "web/NoticeLabel.h"
#include "web/SystemSettingsDialog.h"
#include "web/WebMainWindow.h"
#include "web/WebUI.h"
#include "web/WebViewManager.h"
#include "widgets/MessageBoxW.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

using testfiles::readFile;

namespace {

QJsonObject jsonObject(const QVariant& text)
{
    return QJsonDocument::fromJson(text.toString().toUtf8()).object();
}

// Chooses "print to file" in Qt's own print dialog and points it at path.
void printToFile(QPrintDialog* dialog, const QString& path)
{
    auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
    if (printers)
        printers->setCurrentIndex(printers->count() - 1);
    if (auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
        fileName->setText(path);
    dialog->accept();
}

} // namespace

// The main window with its real web view, on pages of the local service.
class WebShellTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_env.apply();
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        zov::network::NetworkHelper::initialize();

        ContextData& context = Context::instance()->data();
        context.loginUrl = pageUrl(QStringLiteral("/pages/test/probe.html"));
        context.useragreementUrl = pageUrl(QStringLiteral("/pages/agreement/user.html"));
        context.privacyagreementUrl = pageUrl(QStringLiteral("/pages/agreement/privacy.html"));
        context.getDeviceScore
            = m_service.apiBaseUrl().toString() + QStringLiteral("/olbusiness/api/device/score");
        context.getUploadConfigUrl = m_service.apiBaseUrl().toString()
            + QStringLiteral("/olbusiness/api/log/uploadConfig");

        m_window.reset(new WebMainWindow);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.data()));
        m_probe.reset(new PageProbe(m_window->webViewManager()->view()->page()));
    }

    void init()
    {
        // Live lessons write their parameter file into the current folder.
        QDir::setCurrent(m_env.temp());
        QVERIFY(loadPage(QStringLiteral("/pages/test/probe.html")));
        QVERIFY(
            m_probe->waitFor(QStringLiteral("document.readyState === 'complete' && window.probe")));
    }

    void cleanupTestCase()
    {
        m_probe.reset();
        m_window.reset();
    }

    void bridgeExistsBeforeThePageScriptsRun()
    {
        QCOMPARE(m_probe->evaluate(QStringLiteral("probe.bridgeAtFirstScript")).toString(),
            QStringLiteral("object"));
        QCOMPARE(m_probe->evaluate(QStringLiteral("window.newClient")).toBool(), true);
        QCOMPARE(
            m_probe->evaluate(QStringLiteral("typeof window._dhbridge.onListenEvent")).toString(),
            QStringLiteral("function"));
    }

    // Only requests with a callback id that their plugin carries out are answered, once each.
    void requestsWithCallbackGetExactlyOneAnswer()
    {
        QSignalSpy moved(HybirdPluginManager::instance(), &HybirdPluginManager::dh_sig_windowMove);
        QSignalSpy entered(HybirdPluginManager::instance(), &HybirdPluginManager::dh_sig_enterRoom);
        m_probe->evaluate(QStringLiteral("probe.send('common.getVersion', undefined, true);"
                                         "probe.send('common.getVersion', undefined, true);"
                                         "probe.send('common.getVersion', undefined, false);"
                                         "probe.send('common.windowMove', {x: 10}, true);"
                                         "probe.send('common.enterRoom', {type: 7}, true);"
                                         "probe.send('common.noSuchPlugin', {}, true);"
                                         "probe.send('common.windowMove', {x: 10, y: 20}, true);"));
        QVERIFY(m_probe->waitFor(QStringLiteral("probe.answers.length >= 3")));
        QTest::qWait(300);
        QCOMPARE(m_probe->evaluate(QStringLiteral("probe.rawAnswerCalls")).toInt(), 3);
        const QJsonArray answers = pageJson(QStringLiteral("probe.answers")).toArray();
        QCOMPARE(answers.size(), 3);
        QSet<QString> callbackIds;
        for (const QJsonValue& value : answers) {
            QJsonObject answer = value.toObject();
            callbackIds.insert(answer.take("callbackId").toString());
            QVERIFY(answer.take("data").isString());
            QCOMPARE(answer,
                QJsonObject({ { "status", 1 }, { "complete", 1 }, { "errorMessage", "" } }));
        }
        QCOMPARE(callbackIds.size(), 3);
        const QJsonObject version = jsonObject(answers.at(0)[QLatin1String("data")].toVariant());
        QCOMPARE(version.keys(), QStringList { "data" });
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.first(), (QVariantList { 10, 20 }));
        QCOMPARE(entered.count(), 1);
        QCOMPARE(entered.first().first().toJsonObject().value("type").toInt(), 7);
    }

    void deviceCheckIsAnsweredOnlyAfterItCloses()
    {
        QSignalSpy answered(
            HybirdPluginManager::instance(), &HybirdPluginManager::dh_sig_sendToWeb);
        int answersWhileOpen = -1;
        ModalWatcher<DeviceDetect> closeCheck([&](DeviceDetect* dialog) {
            answersWhileOpen = answered.count();
            dialog->reject();
        });
        m_probe->evaluate(QStringLiteral("probe.send('common.openDeviceMonitor', {}, true)"));
        QVERIFY(m_probe->waitFor(QStringLiteral("probe.answers.length === 1"), 30000));
        QCOMPARE(answersWhileOpen, 0);
        QCOMPARE(answered.count(), 1);
    }

    void updateCheckAsksTheServiceWhileShowingItsDialog()
    {
        m_probe->evaluate(QStringLiteral("probe.send('common.checkUpdate', {}, true)"));
        QVERIFY(m_probe->waitFor(QStringLiteral("probe.answers.length === 1")));
        QPointer<CheckingDialog> dialog;
        QTRY_VERIFY_WITH_TIMEOUT(
            (dialog = qobject_cast<CheckingDialog*>(QApplication::activeModalWidget())), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            m_service.requestCount(QStringLiteral("/olbusiness/api/version")) >= 1, 15000);
        if (dialog)
            dialog->accept();
    }

    // The evaluation event carries the lesson the page entered last; the page size event a
    // portrait A4 page.
    void eventsReachEveryListenerOfTheirNameOnly()
    {
        m_probe->evaluate(QStringLiteral("probe.listen('listenEvaluate', 'a');"
                                         "probe.listen('listenEvaluate', 'b');"
                                         "probe.listen('set_a4_page_size', 'c');"
                                         "probe.send('common.enterRoom', {type: 2, planId: 42,"
                                         " course_type: 3, grade_type: 5, oltoken: 't'});"));
        QTRY_COMPARE(Context::instance()->data().oltoken, QStringLiteral("t"));
        m_window->onSwitchEvaluationPage(QJsonObject());
        QVERIFY(
            m_probe->waitFor(QStringLiteral("(probe.events['listenEvaluate:b'] || []).length")));
        QTest::qWait(200);
        QVERIFY(
            !m_probe->evaluate(QStringLiteral("'set_a4_page_size:c' in probe.events")).toBool());
        m_probe->evaluate(QStringLiteral("probe.send('common.enterRoom', {type: 9})"));
        QVERIFY(m_probe->waitFor(QStringLiteral("probe.events['set_a4_page_size:c']")));
        QTest::qWait(200);

        const QJsonObject events = pageJson(QStringLiteral("probe.events")).toObject();
        QCOMPARE(events.keys(),
            QStringList({ "listenEvaluate:a", "listenEvaluate:b", "set_a4_page_size:c" }));
        QCOMPARE(events.value("listenEvaluate:a"), events.value("listenEvaluate:b"));
        QCOMPARE(events.value("listenEvaluate:a").toArray().size(), 1);
        QCOMPARE(events.value("set_a4_page_size:c").toArray().size(), 1);
        const QJsonObject lesson { { "class_id", 42 }, { "course_type", 3 }, { "grade_type", 5 },
            { "evaluateurl_type", false } };
        QCOMPARE(events.value("listenEvaluate:a")[0].toObject(),
            QJsonObject({ { "callbackId", "listenEvaluate" }, { "status", 1 }, { "complete", 1 },
                { "errorMessage", "" }, { "data", lesson } }));
        const QJsonObject page = events.value("set_a4_page_size:c")[0]["data"].toObject();
        QVERIFY(page.value("A4_width").toInt() > 0);
        QVERIFY(page.value("A4_height").toInt() > page.value("A4_width").toInt());
    }

    void linkClickInMainFrameIsReportedAndFollowed()
    {
        QSignalSpy reloaded(m_window->webViewManager(), &WebViewManager::sigReload);
        QSignalSpy urlChanged(m_window->webViewManager(), &WebViewManager::urlChanged);
        m_probe->evaluate(QStringLiteral("document.getElementById('next-page').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(!urlChanged.isEmpty(), 15000);
        QVERIFY(urlChanged.last().first().toUrl().toString().endsWith(QStringLiteral("?next=1")));
        QCOMPARE(reloaded.count(), 1);
    }

    void pdfDownloadAsksWhereToSave()
    {
        const QString target = m_env.temp() + QStringLiteral("/讲义.pdf");
        QString filter;
        QString caption;
        ModalWatcher<QFileDialog> refuse([&](QFileDialog* dialog) {
            filter = dialog->nameFilters().join(QLatin1Char(';'));
            caption = dialog->windowTitle();
            dialog->reject();
        });
        m_probe->evaluate(QStringLiteral("document.getElementById('pdf-link').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(refuse.answered(), 15000);
        QCOMPARE(filter, QStringLiteral("文件(*.pdf)"));
        QCOMPARE(caption, QStringLiteral("另存为"));

        ModalWatcher<QFileDialog> accept([&](QFileDialog* dialog) {
            auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(fileName);
            fileName->setText(target);
            static_cast<QDialog*>(dialog)->accept();
        });
        m_probe->evaluate(QStringLiteral("document.getElementById('pdf-link').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(accept.answered(), 15000);
        const QByteArray served
            = readFile(QStringLiteral(ZOV_SERVICE_WWW_DIR "/pages/test/sample.pdf"));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(target), served, 15000);
        QCOMPARE(QDir(m_env.temp()).entryList({ QStringLiteral("*.pdf") }).size(), 1);
    }

    // The service's pages log in, which leaves the marker, shows the signed-in state and, on
    // a computer the service judges too weak, the hardware notice; the agreement box stores
    // each change, a lesson card takes the student through a live lesson and the log-out
    // message signs out again.
    void studentLogsInThroughTheServicePages()
    {
        QFile::remove(agreementMarkerPath());
        Context::instance()->data().token.clear();
        auto* signedIn = m_window->titleBar()->findChild<QLabel*>(QStringLiteral("signedInLabel"));
        QVERIFY(signedIn);
        QVERIFY(m_service.setDeviceScore(QStringLiteral("不达标")));
        ModalWatcher<HardwareResultView> hardwareNotice(
            [](HardwareResultView* notice) { notice->slotIKnow(); });
        QVERIFY(loadPage(QStringLiteral("/pages/login.html?isagree=true&version=1.6.7.0")));
        for (const char* stored : { "false", "true" }) {
            m_probe->evaluate(QStringLiteral("document.getElementById('agree-box').click()"));
            QTRY_COMPARE_WITH_TIMEOUT(
                readSetting(QStringLiteral("privacy"), QStringLiteral("privacy")).toString(),
                QLatin1String(stored), 10000);
        }
        m_probe->evaluate(QStringLiteral("document.getElementById('account').value = '13800000000';"
                                         "document.getElementById('password').value = 'secret';"
                                         "document.getElementById('login-btn').click();"));
        QTRY_VERIFY_WITH_TIMEOUT(!Context::instance()->data().token.isEmpty(), 15000);
        QVERIFY(QFile::exists(agreementMarkerPath()));
        QVERIFY(Context::instance()->data().userId > 0);
        QVERIFY(signedIn->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(hardwareNotice.answered(), 15000);

        // The live room hides the window until it ends; its parameters are there while it
        // is, and only then.
        QFile::remove(m_env.temp() + QStringLiteral("/ZovLiveRoomStu"));
        QVERIFY(QFile::link(QStringLiteral(ZOV_LIVEROOM_PROGRAM),
            m_env.temp() + QStringLiteral("/ZovLiveRoomStu")));
        const QByteArray script = "[{\"connect\": true}, {\"send\": {\"type\": \"enterRoom\"}},"
                                  "{\"sleepMs\": 500}, {\"send\": {\"type\": \"leaveRoom\","
                                  "\"sid\": \"s-1\", \"evaluationUrl\": \"http://eval\"}},"
                                  "{\"sleepMs\": 500}, {\"exit\": 0}]";
        qputenv("ZOV_LIVEROOM_SCRIPT", script);
        QVERIFY(
            m_probe->waitFor(QStringLiteral("location.pathname.endsWith('timetable.html') && "
                                            "document.querySelector('.lesson-card .enter-btn')")));
        Context::instance()->data().oltoken.clear();
        m_probe->evaluate(
            QStringLiteral("document.querySelector('.lesson-card .enter-btn').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 15000);
        QVERIFY(!Context::instance()->data().oltoken.isEmpty());
        const QString parameterFile = m_env.temp() + QStringLiteral("/data.json");
        const QJsonObject parameters = QJsonDocument::fromJson(readFile(parameterFile)).object();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 15000);
        qunsetenv("ZOV_LIVEROOM_SCRIPT");
        QVERIFY(!QFile::exists(parameterFile));
        const int planId = parameters.value("planId").toInt();
        QVERIFY(planId > 0);
        // The window reloads the page when it comes back; the evaluation the room asked
        // for must still be offered.
        QVERIFY(m_probe->waitFor(
            QStringLiteral("document.readyState === 'complete' && "
                           "!document.getElementById('evaluation-panel').hidden")));
        QCOMPARE(m_probe
                     ->evaluate(QStringLiteral(
                         "document.getElementById('evaluation-class-id').textContent"))
                     .toString(),
            QString::number(planId));

        m_probe->evaluate(QStringLiteral(
            "window._dhbridge.invoke({plugin: 'common.enterRoom', data: {type: 8}})"));
        QTRY_VERIFY_WITH_TIMEOUT(!signedIn->isVisible(), 10000);
    }

    void agreementPagesHideTheWindowUntilClosed_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("byItsButton");
        QTest::newRow("user agreement, its button")
            << 4 << QStringLiteral("/pages/agreement/user.html") << true;
        QTest::newRow("privacy policy, closed by the window manager")
            << 5 << QStringLiteral("/pages/agreement/privacy.html") << false;
    }

    void agreementPagesHideTheWindowUntilClosed()
    {
        QFETCH(int, type);
        QFETCH(QString, page);
        QFETCH(bool, byItsButton);
        m_probe->evaluate(QStringLiteral("probe.send('common.enterRoom', {type: %1})").arg(type));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 10000);
        PrivacyDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<PrivacyDialog*>(widget))
                dialog = candidate->isVisible() ? candidate : dialog;
        }
        QVERIFY(dialog);
        auto* view = dialog->findChild<QWebEngineView*>();
        QVERIFY(view);
        QTRY_COMPARE_WITH_TIMEOUT(view->url().toString(), pageUrl(page), 10000);

        QPointer<PrivacyDialog> guardedDialog(dialog);
        if (byItsButton)
            dialog->on_pushButton_clicked(false);
        else
            dialog->close();
        QTRY_VERIFY(guardedDialog.isNull());
        QVERIFY(m_window->isVisible());
    }

    // The title bar's settings store each choice at once, and the replay window's flag with it.
    void settingsMenuStoresEachChoice()
    {
        // As the update offer's check box stores it.
        writeSetting(
            QStringLiteral("update"), QStringLiteral("AutoDownload"), QStringLiteral("true"));
        m_window->findChild<QPushButton*>(QStringLiteral("settingsBtn"))->click();
        auto* dialog = m_window->findChild<SystemSettingsDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        auto* autoDownload = dialog->findChild<QCheckBox*>(QStringLiteral("autoDownloadBox"));
        QVERIFY(autoDownload->isChecked());
        dialog->findChild<QCheckBox*>(QStringLiteral("playRestoreBox"))->click();
        autoDownload->click();
        QVERIFY(Context::instance()->data().playRestore);
        QCOMPARE(readSetting(QStringLiteral("enablePlayRestore"), QStringLiteral("isEnable")),
            QVariant(QStringLiteral("true")));
        QCOMPARE(readSetting(QStringLiteral("update"), QStringLiteral("AutoDownload")),
            QVariant(QStringLiteral("0")));
        dialog->close();
    }

    void printingEndsWithOneFinishedEvent_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("printed to a PDF file") << true;
        QTest::newRow("dialog cancelled") << false;
    }

    void printingEndsWithOneFinishedEvent()
    {
        QFETCH(bool, accept);
        const QString pdf = m_env.temp() + QStringLiteral("/paper-%1.pdf").arg(accept);
        ModalWatcher<QPrintDialog> answer([&](QPrintDialog* dialog) {
            if (accept)
                printToFile(dialog, pdf);
            else
                dialog->reject();
        });
        m_probe->evaluate(QStringLiteral("probe.listen('print_finished', 'f');"
                                         "probe.send('common.enterRoom', {type: 10})"));
        QVERIFY(m_probe->waitFor(QStringLiteral("probe.events['print_finished:f']"), 30000));
        QVERIFY(answer.answered());
        QTest::qWait(200);
        QCOMPARE(pageJson(QStringLiteral("probe.events['print_finished:f']")),
            QJsonValue(
                QJsonArray { QJsonObject { { "callbackId", "print_finished" }, { "complete", true },
                    { "data", "" }, { "errorMessage", "" }, { "status", true } } }));
        if (accept)
            QVERIFY(readFile(pdf).startsWith("%PDF"));
        else
            QVERIFY(!QFile::exists(pdf));
    }

    // The upload itself, with its request and the uploader, is the tools suite's.
    void logUploadStartsFromThePage()
    {
        const QString configPath = QStringLiteral("/olbusiness/api/log/uploadConfig");
        const int requests = m_service.requestCount(configPath);
        m_probe->evaluate(QStringLiteral("probe.send('common.upLoadLog', {}, true)"));
        QVERIFY(m_probe->waitFor(QStringLiteral("probe.answers.length === 1")));
        auto* notice = m_window->findChild<NoticeLabel*>();
        QVERIFY(notice && notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("日志上传中"));
        QTRY_COMPARE_WITH_TIMEOUT(m_service.requestCount(configPath), requests + 1, 15000);
    }

    // Opened from the replay information, whose data files then download for it; a failed
    // request says why and leaves the open window and its downloads alone.
    void replayOpensFromTheReplayInformation()
    {
        ContextData& context = Context::instance()->data();
        context.host = m_service.apiHostPort();
        m_window->onShowPlayBack({ { QStringLiteral("classId"), 20471 } });
        QTRY_VERIFY_WITH_TIMEOUT(ReplayPlayPage::current(), 15000);
        QPointer<ReplayPlayPage> first = ReplayPlayPage::current();
        QPointer<ReplayDataDownLoader> firstData = m_window->findChild<ReplayDataDownLoader*>();
        QVERIFY(firstData);
        QVERIFY(m_service.setReplayInfoError(QStringLiteral("这节课还没有回放")));
        QStringList shown;
        ModalWatcher<MessageBoxW> failure([&shown](MessageBoxW* box) {
            for (const QLabel* label : box->findChildren<QLabel*>())
                shown.append(label->text());
            box->onOkClicked();
        });
        m_window->onShowPlayBack({ { QStringLiteral("classId"), 20471 } });
        QTRY_VERIFY_WITH_TIMEOUT(failure.answered(), 15000);
        QVERIFY2(shown.contains(QStringLiteral("这节课还没有回放")), qPrintable(shown.join('|')));
        QCOMPARE(ReplayPlayPage::current(), first.data());

        // The switching question keeps the open window when refused and replaces it when not.
        QVERIFY(m_service.setReplayInfoError(QString()));
        ModalWatcher<MessageBoxW> refuse([](MessageBoxW* box) { box->onCancelClicked(); });
        m_window->onShowPlayBack({ { QStringLiteral("classId"), 20471 } });
        QTRY_VERIFY_WITH_TIMEOUT(refuse.answered(), 15000);
        QCOMPARE(ReplayPlayPage::current(), first.data());
        QCOMPARE(m_window->findChild<ReplayDataDownLoader*>(), firstData.data());
        ModalWatcher<MessageBoxW> accept([](MessageBoxW* box) { box->onOkClicked(); });
        m_window->onShowPlayBack(
            { { QStringLiteral("classId"), 20471 }, { QStringLiteral("courseware_type"), 2 } });
        QTRY_VERIFY_WITH_TIMEOUT(accept.answered(), 15000);
        QTRY_VERIFY(!first);
        QVERIFY(ReplayPlayPage::current());
        QTRY_VERIFY(!firstData);
        QVERIFY(m_window->findChild<ReplayDataDownLoader*>());
        QCOMPARE(context.replayPlanId, QStringLiteral("20471"));
        QCOMPARE(context.replayAppId, QStringLiteral("zov-demo-app"));
        QCOMPARE(context.replayVideoTime.size(), 1);
        const QJsonObject body = jsonObject(
            m_service.lastRequest(QStringLiteral("/olbusiness/api/playback/getReplayEnterUrl"))
                .value(QStringLiteral("body"))
                .toVariant());
        QCOMPARE(body,
            QJsonObject({ { QStringLiteral("bizId"), 5 }, { QStringLiteral("planId"), 20471 },
                { QStringLiteral("courseware_type"), 2 } }));
        delete ReplayPlayPage::current();
    }

    // Leaves the program's update manager with a readied package, so it runs late.
    void silentUpdateIsReportedAsANotice()
    {
        const QString md5 = QString::fromLatin1(
            m_service.servePackage(QStringLiteral("diff_silent.zip"), QByteArray(1 << 20, 's')));
        QVERIFY(
            m_service.setVersionReply({ { QStringLiteral("scenario"), QStringLiteral("update") },
                { QStringLiteral("version"), QStringLiteral("9.9.9.9") },
                { QStringLiteral("updateType"), 0 }, { QStringLiteral("packType"), 0 },
                { QStringLiteral("md5"), md5 },
                { QStringLiteral("urls"),
                    QJsonArray { m_service.packageUrl(QStringLiteral("diff_silent.zip"), true)
                                     .toString() } } }));
        auto* notice = m_window->findChild<NoticeLabel*>();
        QVERIFY(notice);

        UpdateManager* updates = UpdateManager::instance();
        updates->checkout(UpdateManager::TriggerRecheck);
        QTRY_VERIFY_WITH_TIMEOUT(updates->hasDownloader(), 15000);
        m_window->onCheckUpdate();
        QCOMPARE(notice->text(), QStringLiteral("自动升级中"));
        QTRY_COMPARE_WITH_TIMEOUT(
            updates->packageResult(), int(UpdateManager::PackageReadied), 30000);
        m_window->onCheckUpdate();
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("升级成功,请重新启动"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Runs last: a confirmed close quits the application.
    void confirmedCloseEndsOnlyOurOwnHelpers()
    {
        const QString fakeCurl = m_env.temp() + QStringLiteral("/curl");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), fakeCurl));
        QProcess ownCurl;
        ownCurl.start(fakeCurl, { QStringLiteral("300") });
        QVERIFY(ownCurl.waitForStarted());
        qint64 foreignPid = 0;
        QVERIFY(
            QProcess::startDetached(fakeCurl, { QStringLiteral("300") }, QString(), &foreignPid));

        ModalWatcher<MessageBoxW> refuse([](MessageBoxW* box) { box->onCancelClicked(); });
        m_window->onCloseWindow();
        QVERIFY(refuse.answered());
        QCOMPARE(ownCurl.state(), QProcess::Running);

        ModalWatcher<MessageBoxW> confirm([](MessageBoxW* box) { box->onOkClicked(); });
        m_window->onCloseWindow();
        QVERIFY(confirm.answered());
        QVERIFY(ownCurl.waitForFinished(5000));
        const bool foreignAlive = QFile::exists(QStringLiteral("/proc/%1").arg(foreignPid));
        QProcess::execute(QStringLiteral("kill"), { QString::number(foreignPid) });
        QVERIFY(foreignAlive);
    }

private:
    QString pageUrl(const QString& path) const { return m_service.webBaseUrl().toString() + path; }

    bool loadPage(const QString& path)
    {
        QSignalSpy loaded(m_window->webViewManager(), &WebViewManager::loadFinished);
        m_window->webViewManager()->loadUrl(pageUrl(path));
        return loaded.wait(15000);
    }

    // A value of the page, as the page would write it in JSON.
    QJsonValue pageJson(const QString& expression) const
    {
        const QString text
            = m_probe->evaluate(QStringLiteral("JSON.stringify([%1])").arg(expression)).toString();
        return QJsonDocument::fromJson(text.toUtf8()).array().first();
    }

    TestEnvironment m_env;
    LocalService m_service;
    QScopedPointer<WebMainWindow> m_window;
    QScopedPointer<PageProbe> m_probe;
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WebShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webshell.moc"
