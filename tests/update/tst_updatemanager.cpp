#include "LocalService.h"
#include "ModalWatcher.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/Settings.h"
#include "core/TrustStore.h"
#include "update/CheckingDialog.h"
#include "update/UpdateBase.h"
#include "update/UpdateManager.h"
#include "update/UpdateOpDialog.h"
#include "update/UpdatingDialogEx.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

#include <unistd.h>

#include <memory>

namespace {

constexpr int replyTimeoutMs = 20000;
constexpr int downloadTimeoutMs = 60000;
const QString localVersion = QStringLiteral("1.6.7.0");
const QString versionPath = QStringLiteral("/olbusiness/api/version");

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
}

QString setting(const QString& key)
{
    return readSetting(QStringLiteral("update"), key).toString();
}

QJsonObject updateReply(const QString& version, int updateType, int packType,
    const QString& md5 = QStringLiteral("0123456789abcdef0123456789abcdef"),
    const QJsonArray& urls = { QStringLiteral("/packages/pkg_1.6.8.0.zip") })
{
    return { { QStringLiteral("scenario"), QStringLiteral("update") },
        { QStringLiteral("version"), version }, { QStringLiteral("updateType"), updateType },
        { QStringLiteral("packType"), packType }, { QStringLiteral("md5"), md5 },
        { QStringLiteral("updateMsg"), QStringLiteral("修复若干问题") },
        { QStringLiteral("urls"), urls } };
}

QJsonObject scenario(const QString& name)
{
    return { { QStringLiteral("scenario"), name } };
}

int currentPage(QWidget* dialog)
{
    auto* pages = dialog->findChild<QStackedWidget*>(QStringLiteral("pages"));
    return pages ? pages->currentIndex() : -1;
}

// The re-check of a pending silent update comes after a fraction of a second.
class QuickRecheckManager : public UpdateManager
{
protected:
    int recheckIntervalMs() const override { return 200; }
};

} // namespace

class TestUpdateManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void versionComparison_data();
    void versionComparison();

    void replyVerdict_data();
    void replyVerdict();
    void recordFromReplies();

    void skippedVersionIsNotOfferedAgain();
    void silentUpdateReadiesPackageOnRecheck();

    void recheckDownloadFailure();
    void forcedUpdateCancelEndsStartup();
    void failurePagesAndRetryWithNextUrl();
    void userCheck_data();
    void userCheck();

private:
    // A manager as a new run of the program has it, after a check of the given type.
    std::unique_ptr<UpdateManager> checkedManager(const QJsonObject& reply, int type = 0);

    TestEnvironment m_env;
    LocalService m_service;
};

void TestUpdateManager::initTestCase()
{
    QVERIFY(m_env.isValid());
    m_env.apply();
    QVERIFY(m_service.start());
    m_service.applyClientEnvironment();
    zov::network::TrustStore::instance().reload();
}

void TestUpdateManager::init()
{
    UpdateBase::resetServerIndex();
    QDir(m_env.dataFolder()).removeRecursively();
    QDir(m_env.temp() + QStringLiteral("/zov-%1/zov_setup").arg(getuid())).removeRecursively();
    writeConfigIni(QStringLiteral("version"), QStringLiteral("ver"), localVersion);
    QVERIFY(m_service.setVersionReply(scenario(QStringLiteral("none"))));
}

std::unique_ptr<UpdateManager> TestUpdateManager::checkedManager(const QJsonObject& reply, int type)
{
    if (!m_service.setVersionReply(reply))
        return nullptr;
    auto manager = std::make_unique<UpdateManager>();
    manager->checkout(type);
    // A re-check that finds a newer version answers through its download instead.
    const bool answered = QTest::qWaitFor(
        [&] {
            return manager->state() != UpdateManager::STATE_CHECKING || manager->hasDownloader();
        },
        replyTimeoutMs);
    return answered ? std::move(manager) : nullptr;
}

void TestUpdateManager::versionComparison_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("two-digit part") << "1.6.10.0"
                                    << "1.6.9.9" << 1;
    QTest::newRow("short form") << "1.7"
                                << "1.7.0.0" << 0;
    QTest::newRow("blanks") << "  1.6.7.0 "
                            << "1.6.7.0" << 0;
    QTest::newRow("fifth part ignored") << "1.6.7.0.5"
                                        << "1.6.7.0" << 0;
    QTest::newRow("older") << "1.6.6.9"
                           << "1.6.7.0" << -1;
    QTest::newRow("major wins") << "2.0.0.0"
                                << "1.99.99.99" << 1;
    QTest::newRow("not a number counts 0") << "1.6.x.1"
                                           << "1.6.0.1" << 0;
    QTest::newRow("empty part") << "1..7"
                                << "1.0.7" << 0;
    QTest::newRow("empty against version") << ""
                                           << "1.6.7.0" << -1;
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("leading zeros") << "1.06.07.0"
                                   << "1.6.7" << 0;
}

void TestUpdateManager::versionComparison()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(UpdateManager::checkVersionQM(a, b), expected);
    QCOMPARE(UpdateManager::checkVersionQM(b, a), -expected);
}

// The optional and forced offers that follow a newer version are the flows' to prove.
void TestUpdateManager::replyVerdict_data()
{
    QTest::addColumn<QJsonObject>("reply");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("faults");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("compareResult");
    QTest::addColumn<int>("newVersionUpdateType");
    const QJsonObject none = scenario(QStringLiteral("none"));
    const QJsonObject forced = updateReply(QStringLiteral("1.6.8.0"), 2, 1);
    QTest::newRow("current") << none << QString() << 0 << 2 << -1 << -1;
    QTest::newRow("error code") << scenario(QStringLiteral("errorcode")) << QString() << 0 << 2
                                << -1 << -1;
    QTest::newRow("malformed") << scenario(QStringLiteral("malformed")) << QString() << 0 << 2 << -1
                               << -1;
    QTest::newRow("same version") << updateReply(localVersion, 1, 1) << QString() << 0 << 2 << 0
                                  << -1;
    QTest::newRow("older version")
        << updateReply(QStringLiteral("1.6.6.0"), 2, 1) << QString() << 0 << 2 << -1 << -1;
    QTest::newRow("newer silent") << updateReply(QStringLiteral("1.6.8.0"), 0, 0) << QString() << 0
                                  << 3 << 1 << 0;
    QTest::newRow("version naming other folders")
        << updateReply(QStringLiteral("9.0/../../x"), 1, 1) << QString() << 0 << 2 << -1 << -1;
    QTest::newRow("unknown update type")
        << updateReply(QStringLiteral("1.6.8.0"), 7, 1) << QString() << 0 << 2 << -1 << -1;
    QTest::newRow("server error") << forced << "error500" << 1 << 1 << -1 << -1;
    QTest::newRow("connection closed") << forced << "close" << 4 << 1 << -1 << -1;
}

void TestUpdateManager::replyVerdict()
{
    QFETCH(QJsonObject, reply);
    QFETCH(QString, fault);
    QFETCH(int, faults);
    if (faults > 0)
        QVERIFY(m_service.injectFaults(faults, fault));
    auto manager = checkedManager(reply);
    QVERIFY(manager);
    QTEST(manager->state(), "state");
    QTEST(manager->compareResult(), "compareResult");
    QTEST(manager->newVersionUpdateType(), "newVersionUpdateType");
    QCOMPARE(manager->packageResult(), int(UpdateManager::PackageNone));
    if (faults > 0)
        QVERIFY(manager->updateInfo().newVersion.isEmpty());
}

// Each reply in a run adds its URL and puts its MD5 in the slot its package type names;
// once a reply was forced, the run stays forced.
void TestUpdateManager::recordFromReplies()
{
    auto manager
        = checkedManager(updateReply(QStringLiteral("1.6.8.12"), 2, 0, QStringLiteral("aaaa")), 2);
    QVERIFY(manager);
    manager->onDownloadCancel();
    QVERIFY(m_service.setVersionReply(
        updateReply(QStringLiteral("1.6.9.0"), 1, 1, QStringLiteral("bbbb"))));
    manager->checkout(0);
    QVERIFY(QTest::qWaitFor(
        [&] { return manager->updateInfo().newVersion == QLatin1String("1.6.9.0"); },
        replyTimeoutMs));

    const UpdateInfo& info = manager->updateInfo();
    QCOMPARE(info.urls.size(), 2);
    QCOMPARE(info.diffMd5, QStringLiteral("aaaa"));
    QCOMPARE(info.fullMd5, QStringLiteral("bbbb"));
    QCOMPARE(info.updateType, 1);
    QCOMPARE(info.updateMsg, QStringLiteral("修复若干问题"));
    QVERIFY(manager->isImportant());
}

// "Later" and the once-a-day rule are the flows'; this is the skipped version alone.
void TestUpdateManager::skippedVersionIsNotOfferedAgain()
{
    auto manager = checkedManager(updateReply(QStringLiteral("1.6.8.0"), 1, 1));
    QVERIFY(manager);
    ModalWatcher<UpdateOpDialog> watcher([](UpdateOpDialog* dialog) { emit dialog->skip(); });
    manager->updateEx();
    QVERIFY(watcher.answered());
    QCOMPARE(setting(QStringLiteral("IgnoreVersion")), QStringLiteral("1.6.8.0"));
    QCOMPARE(manager->state(), int(UpdateManager::STATE_EXIST));

    // Start-up polls again, on another day.
    writeSetting(QStringLiteral("update"), QStringLiteral("StartupTs"), QStringLiteral("20000101"));
    manager->updateEx();
    QCOMPARE(manager->state(), int(UpdateManager::STATE_NO_EXIST));
}

void TestUpdateManager::silentUpdateReadiesPackageOnRecheck()
{
    const QByteArray content("difference package content");
    const QByteArray md5 = m_service.servePackage(QStringLiteral("diff_1.6.8.0.zip"), content);
    QVERIFY(!md5.isEmpty());
    QuickRecheckManager manager;
    QVERIFY(m_service.setVersionReply(updateReply(QStringLiteral("1.6.8.0"), 0, 0,
        QString::fromLatin1(md5), { QStringLiteral("/packages/diff_1.6.8.0.zip") })));
    manager.checkout(UpdateManager::TriggerStartup);
    QVERIFY(QTest::qWaitFor(
        [&] { return manager.state() != UpdateManager::STATE_CHECKING; }, replyTimeoutMs));
    QCOMPARE(manager.state(), int(UpdateManager::STATE_EXIST));
    manager.updateEx();
    // Start-up goes on at once; the download waits for the first re-check.
    QCOMPARE(manager.state(), int(UpdateManager::STATE_NO_EXIST));
    QVERIFY(!manager.hasDownloader());
    QVERIFY(QTest::qWaitFor(
        [&] { return manager.packageResult() != UpdateManager::PackageNone; }, downloadTimeoutMs));

    QCOMPARE(manager.packageResult(), int(UpdateManager::PackageReadied));
    QCOMPARE(manager.state(), int(UpdateManager::STATE_NO_EXIST));
    QCOMPARE(manager.updateInfo().localVersion, QStringLiteral("1.6.8.0"));
    QCOMPARE(testfiles::readFile(manager.packagePath()), content);
    QCOMPARE(setting(QStringLiteral("NewTraitVer")), QStringLiteral("1.6.8.0"));

    // Later re-checks compare against the readied version: nothing newer. The silent
    // update stays announced, so the window's check reports the readied package.
    QVERIFY(QTest::qWaitFor([&] { return manager.compareResult() == 0; }, replyTimeoutMs));
    QVERIFY(!manager.hasDownloader());
    QCOMPARE(manager.newVersionUpdateType(), 0);
    QCOMPARE(manager.packageResult(), int(UpdateManager::PackageReadied));
    const QJsonObject request = m_service.lastRequest(versionPath);
    QCOMPARE(request.value(QStringLiteral("method")).toString(), QStringLiteral("GET"));
    const QJsonObject headers = request.value(QStringLiteral("headers")).toObject();
    QCOMPARE(headers.value(QStringLiteral("channel")).toString(), QStringLiteral("ol_stu"));
    QCOMPARE(headers.value(QStringLiteral("appType")).toString(), QStringLiteral("PC"));
    QCOMPARE(headers.value(QStringLiteral("Appver")).toString(), QStringLiteral("1.6.8.0"));
    QCOMPARE(headers.value(QStringLiteral("Content-Type")).toString(),
        QStringLiteral("application/json"));
}

void TestUpdateManager::recheckDownloadFailure()
{
    m_service.servePackage(QStringLiteral("diff_bad.zip"), "some bytes");
    auto manager = checkedManager(updateReply(QStringLiteral("1.6.8.0"), 1, 0,
                                      QStringLiteral("00000000000000000000000000000000"),
                                      { QStringLiteral("/packages/diff_bad.zip") }),
        UpdateManager::TriggerRecheck);
    QVERIFY(manager);
    QVERIFY(QTest::qWaitFor(
        [&] { return manager->packageResult() != UpdateManager::PackageNone; }, downloadTimeoutMs));
    QCOMPARE(manager->packageResult(), int(UpdateManager::PackageFailed));
    QCOMPARE(manager->state(), int(UpdateManager::STATE_FAILED));
    QCOMPARE(manager->compareResult(), -1);
    QCOMPARE(manager->newVersionUpdateType(), -1);
    QVERIFY(!manager->hasDownloader());
    QCOMPARE(manager->updateInfo().localVersion, localVersion);
    QCOMPARE(UpdateBase::serverIndex(), 1);
}

void TestUpdateManager::forcedUpdateCancelEndsStartup()
{
    writeSetting(
        QStringLiteral("update"), QStringLiteral("AutoDownloadFrom"), QStringLiteral("1.6.9.0"));
    auto manager
        = checkedManager(updateReply(QStringLiteral("1.6.9.0"), 2, 0, QStringLiteral("0123"),
            { m_service.packageUrl(QStringLiteral("slow.zip"), true).toString() }));
    QVERIFY(manager);
    m_service.servePackage(QStringLiteral("slow.zip"), QByteArray(4 << 20, 'x'));
    writeConfigIni(QStringLiteral("version"), QStringLiteral("ver"), QStringLiteral("1.6.9.0"));

    whenModalShown<UpdateOpDialog>([&](UpdateOpDialog* dialog) {
        whenModalShown<UpdatingDialogEx>([&](UpdatingDialogEx* updating) {
            emit updating->cancelDownload();
            updating->reject();
        });
        emit dialog->update();
    });
    manager->updateEx();

    QCOMPARE(manager->state(), int(UpdateManager::STATE_READY));
    QVERIFY(!manager->hasDownloader());
    QCOMPARE(manager->packageResult(), int(UpdateManager::PackageNone));
    QCOMPARE(setting(QStringLiteral("AutoDownloadFrom")), localVersion);
    QCOMPARE(
        readConfigIni(QStringLiteral("version"), QStringLiteral("ver")).toString(), localVersion);
}

// A forced full package, announced twice in the run: first from a URL that fails, then
// from one that serves a file that is no archive.
void TestUpdateManager::failurePagesAndRetryWithNextUrl()
{
    const QByteArray md5
        = m_service.servePackage(QStringLiteral("notzip_1.6.9.0.zip"), "not an archive");
    QVERIFY(m_service.setVersionReply(updateReply(QStringLiteral("1.6.9.0"), 2, 1,
        QString::fromLatin1(md5),
        { QStringLiteral("/packages/broken"), QStringLiteral("/packages/notzip_1.6.9.0.zip") })));
    UpdateManager manager;
    manager.checkout(UpdateManager::TriggerStartup);
    QVERIFY(QTest::qWaitFor(
        [&] { return manager.state() == UpdateManager::STATE_EXIST; }, replyTimeoutMs));
    manager.checkout(UpdateManager::TriggerStartup);
    QVERIFY(QTest::qWaitFor([&] { return manager.updateInfo().urls.size() == 2; }, replyTimeoutMs));

    QStringList failureTitles;
    whenModalShown<UpdateOpDialog>([&](UpdateOpDialog* dialog) {
        whenModalShown<UpdatingDialogEx>([&](UpdatingDialogEx* updating) {
            auto* title = updating->findChild<QLabel*>(QStringLiteral("title"));
            auto failed = [&] { return currentPage(updating) == UpdatingDialogEx::FailurePage; };
            if (QTest::qWaitFor(failed, downloadTimeoutMs)) {
                failureTitles << title->text();
                QTest::mouseClick(updating->findChild<QPushButton*>(QStringLiteral("retryButton")),
                    Qt::LeftButton);
                if (!failed() && QTest::qWaitFor(failed, downloadTimeoutMs))
                    failureTitles << title->text();
            }
            updating->reject();
        });
        emit dialog->update();
    });
    manager.updateEx();

    QCOMPARE(
        failureTitles, QStringList({ QStringLiteral("下载失败"), QStringLiteral("解压失败") }));
    QCOMPARE(manager.packageResult(), int(UpdateManager::PackageFailed));
    QCOMPARE(manager.state(), int(UpdateManager::STATE_READY));
    QVERIFY(!m_service.lastRequest(QStringLiteral("/packages/notzip_1.6.9.0.zip")).isEmpty());
}

// The user's check ignores a skipped version and today's offer, and offers it without
// "skip" or "later".
void TestUpdateManager::userCheck_data()
{
    QTest::addColumn<QJsonObject>("reply");
    QTest::addColumn<bool>("offered");
    QTest::newRow("nothing newer") << scenario(QStringLiteral("none")) << false;
    QTest::newRow("skipped version offered today")
        << updateReply(QStringLiteral("1.6.8.0"), 1, 1) << true;
}

void TestUpdateManager::userCheck()
{
    QFETCH(QJsonObject, reply);
    QFETCH(bool, offered);
    writeSetting(
        QStringLiteral("update"), QStringLiteral("IgnoreVersion"), QStringLiteral("1.6.8.0"));
    writeSetting(QStringLiteral("update"), QStringLiteral("StartupTs"), today());
    QVERIFY(m_service.setVersionReply(reply));
    UpdateManager manager;
    bool offerShown = false;
    bool deferrable = true;
    if (offered) {
        whenModalShown<UpdateOpDialog>([&](UpdateOpDialog* dialog) {
            auto* skip = dialog->findChild<QWidget*>(QStringLiteral("skipButton"));
            auto* later = dialog->findChild<QWidget*>(QStringLiteral("laterButton"));
            deferrable = skip->isVisible() || later->isVisible();
            offerShown = true;
            dialog->reject();
        });
    }
    manager.showCheckingDialog();
    CheckingDialog* dialog = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* checking = qobject_cast<CheckingDialog*>(window))
            dialog = checking;
    }
    QVERIFY(dialog);
    QVERIFY(dialog->isModal());
    if (offered) {
        QVERIFY(QTest::qWaitFor([&] { return offerShown; }, replyTimeoutMs));
        QVERIFY(!deferrable);
        return;
    }
    QVERIFY(QTest::qWaitFor(
        [&] { return manager.state() != UpdateManager::STATE_CHECKING; }, replyTimeoutMs));
    QCOMPARE(currentPage(dialog), int(CheckingDialog::ResultPage));
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("result"))->text(),
        QStringLiteral("当前版本%1，你已是最新版本").arg(localVersion));
    dialog->accept();
}

QTEST_MAIN(TestUpdateManager)
#include "tst_updatemanager.moc"
