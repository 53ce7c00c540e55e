#include "LocalService.h"
#include "ModalWatcher.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "UpdateReplies.h"

#include "app/Settings.h"
#include "core/TrustStore.h"
#include "platform/Platform.h"
#include "update/CheckingDialog.h"
#include "update/PackageUnpacker.h"
#include "update/UpdateBase.h"
#include "update/UpdateManager.h"
#include "update/UpdateOpDialog.h"
#include "update/UpdatingDialogEx.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace updatereplies;
using testfiles::md5Hex;
using testfiles::readFile;
using testfiles::writeFile;

namespace {

constexpr int replyTimeoutMs = 20000;
constexpr int downloadTimeoutMs = 60000;
const QString versionPath = QStringLiteral("/olbusiness/api/version");

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
}

QString setting(const QString& key)
{
    return readSetting(QStringLiteral("update"), key).toString();
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

// Every entry below folder (links not followed), relative to it, sorted.
QStringList entriesIn(const QString& folder)
{
    QStringList entries;
    QDirIterator found(folder,
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (found.hasNext())
        entries.append(QDir(folder).relativeFilePath(found.next()));
    entries.sort();
    return entries;
}

bool run(const QString& program, const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// Writes a zip whose entries, [name, content, symlink target or ""], are exactly as given,
// which the archive tool itself would never produce.
bool writeRawZip(const QString& path, const QJsonArray& entries)
{
    const QString script
        = QStringLiteral("import json, sys, zipfile\n"
                         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                         "    for name, content, link in json.loads(sys.argv[2]):\n"
                         "        i = zipfile.ZipInfo(name); i.create_system = 3\n"
                         "        i.external_attr = (0o120777 if link else 0o100644) << 16\n"
                         "        z.writestr(i, link or content)\n");
    return run(QStringLiteral("python3"),
        { QStringLiteral("-c"), script, path, QString::fromUtf8(QJsonDocument(entries).toJson()) });
}

} // namespace

// Downloading and unpacking with the real curl, archive tool and file system, and the
// update check and its policy, against the local service.
class TestUpdateManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        m_env.apply();
        QVERIFY2(
            !QStandardPaths::findExecutable(QStringLiteral("7za")).isEmpty(), "7za is missing");
        QVERIFY2(
            !QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty(), "curl is missing");
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        zov::network::TrustStore::instance().reset();
    }

    void init()
    {
        UpdateBase::resetServerIndex();
        QDir(m_env.dataFolder()).removeRecursively();
        QDir(setupFolder()).removeRecursively();
        writeConfigIni(QStringLiteral("version"), QStringLiteral("ver"), kLocalVersion);
        QVERIFY(m_service.setVersionReply(scenario(QStringLiteral("none"))));
    }

    // The expected MD5 comes from the slot the package type names, compared as lower-case
    // text. The local name is the URL's plain file name inside the folder, the version's
    // when it has none; a leftover of that name is deleted, never resumed (a longer stale
    // file would keep its tail), and the folder's neighbours are never touched.
    void downloadIntoThePrivateFolder_data()
    {
        QTest::addColumn<int>("packType");
        QTest::addColumn<bool>("fullSlot");
        QTest::addColumn<bool>("upperCase");
        QTest::addColumn<QString>("urlPath");
        QTest::addColumn<bool>("stale");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");

        const QString url = QStringLiteral("/packages/1.6.8.0.zip");
        const QString fallback = QStringLiteral("1.6.8.0.zip");
        const QString verified = QStringLiteral("Check md5 Sucess");
        const QString failed = QStringLiteral("curl download failed.");
        QTest::newRow("full package, MD5 in the difference slot")
            << 1 << false << false << url << false << -1 << fallback << failed;
        QTest::newRow("difference package, MD5 in the full slot")
            << 0 << true << false << url << false << -1 << fallback << failed;
        QTest::newRow("upper-case MD5 never verifies")
            << 1 << true << true << url << false << -1 << fallback << failed;
        QTest::newRow("unknown package type checks the difference slot")
            << 2 << true << false << url << false << -1 << fallback << failed;
        QTest::newRow("stale package downloaded afresh")
            << 1 << true << false << url << true << 0 << fallback << verified;
        QTest::newRow("query and fragment") << 1 << true << false << "/packages/named.zip?v=2#top"
                                            << false << 0 << "named.zip" << verified;
        QTest::newRow("the parent folder")
            << 1 << true << false << "/packages/.." << false << -1 << fallback << failed;
        QTest::newRow("no name") << 1 << true << false << "/packages/" << false << -1 << fallback
                                 << failed;
        QTest::newRow("no server")
            << 1 << true << false << QString() << false << -1 << QString() << "no available server";
    }

    void downloadIntoThePrivateFolder()
    {
        QFETCH(int, packType);
        QFETCH(bool, fullSlot);
        QFETCH(bool, upperCase);
        QFETCH(QString, urlPath);
        QFETCH(bool, stale);
        QFETCH(int, code);
        QFETCH(QString, name);

        const QByteArray content = QByteArray("package ") + QTest::currentDataTag();
        m_service.servePackage(QStringLiteral("named.zip"), content);
        QString md5
            = QString::fromLatin1(m_service.servePackage(QStringLiteral("1.6.8.0.zip"), content));
        if (upperCase)
            md5 = md5.toUpper();
        const QString neighbour = zov::platform::Platform::instance().privateTempFolder()
            + QStringLiteral("/neighbour/keep.txt");
        QVERIFY(writeFile(neighbour, "keep me"));
        if (stale)
            QVERIFY(writeFile(
                setupFolder() + QStringLiteral("/1.6.8.0.zip"), QByteArray(300 * 1024, 's')));
        UpdateInfo info;
        info.newVersion = QStringLiteral("1.6.8.0");
        info.packType = QString::number(packType);
        if (!urlPath.isEmpty())
            info.urls = QStringList { m_service.webBaseUrl().toString() + urlPath };
        (fullSlot ? info.fullMd5 : info.diffMd5) = md5;

        QString errMsg;
        QString path;
        QCOMPARE(download(info, &errMsg, &path), code);
        QTEST(errMsg, "message");
        QCOMPARE(path, name.isEmpty() ? QString() : setupFolder() + QLatin1Char('/') + name);
        if (code == 0)
            QCOMPARE(readFile(path), content);
        QCOMPARE(UpdateBase::serverIndex(), code == 0 || urlPath.isEmpty() ? 0 : 1);
        QCOMPARE(readFile(neighbour), QByteArray("keep me"));
        if (stale) {
            QVERIFY(m_service.lastRequest(QStringLiteral("/packages/1.6.8.0.zip"))
                        .value(QStringLiteral("headers"))
                        .toObject()
                        .value(QStringLiteral("Range"))
                        .isUndefined());
        }
    }

    // A failed host (HTTP error or wrong MD5) is left for the next one; after the last the
    // list starts over. Success keeps the host.
    void serverIndexMovesOnAndWraps()
    {
        const QByteArray content(200 * 1024, 'p');
        UpdateInfo info;
        info.packType = QStringLiteral("1");
        info.fullMd5
            = QString::fromLatin1(m_service.servePackage(QStringLiteral("good.zip"), content));
        info.urls = QStringList { m_service.packageUrl(QStringLiteral("broken")).toString(),
            m_service.packageUrl(QStringLiteral("good.zip")).toString() };
        const QString brokenFile = setupFolder() + QStringLiteral("/broken");
        const QString goodFile = setupFolder() + QStringLiteral("/good.zip");

        QString path;
        QCOMPARE(download(info, nullptr, &path), -1);
        QCOMPARE(path, brokenFile);
        QCOMPARE(UpdateBase::serverIndex(), 1);

        QCOMPARE(download(info, nullptr, &path), 0);
        QCOMPARE(path, goodFile);
        QCOMPARE(UpdateBase::serverIndex(), 1);

        info.fullMd5 = QString::fromLatin1(md5Hex("something else"));
        QCOMPARE(download(info, nullptr, &path), -1);
        QCOMPARE(path, goodFile);
        QCOMPARE(UpdateBase::serverIndex(), 2);

        QCOMPARE(download(info, nullptr, &path), -1);
        QCOMPARE(path, brokenFile);
        QCOMPARE(UpdateBase::serverIndex(), 1);
        QCOMPARE(m_service.requestCount(QStringLiteral("/packages/broken")), 2);
    }

    // Only the version folder lands, into an installation whose path has blanks; a package
    // for another version, one that expands a thousandfold, one that is no archive or one
    // without the archive tool leaves the installation as it was.
    void unpackVersion_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("zeroBytes");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("unpacked");
        QTest::newRow("the version, with a config.ini beside it")
            << "1.6.8.0" << 0 << QString() << true;
        QTest::newRow("another version's folder") << "1.6.9.0" << 0 << QString() << false;
        QTest::newRow("a thousandfold expansion")
            << "1.6.8.0" << 20 * 1024 * 1024 << QString() << false;
        QTest::newRow("not an archive") << "1.6.8.0" << 0 << "not an archive" << false;
        QTest::newRow("no archive tool") << "1.6.8.0" << 0 << "no archive tool" << false;
    }

    void unpackVersion()
    {
        QFETCH(QString, folder);
        QFETCH(int, zeroBytes);
        QFETCH(QString, damage);
        QFETCH(bool, unpacked);
        const QString source = workFolder(QStringLiteral("source"));
        QVERIFY(writeFile(source + QStringLiteral("/config.ini"), "[version]\nver=6.6.6.6\n"));
        QVERIFY(writeFile(
            source + QLatin1Char('/') + folder + QStringLiteral("/zovwx1v1_Student"), "program"));
        QVERIFY(writeFile(source + QLatin1Char('/') + folder + QStringLiteral("/res/data file.txt"),
            QByteArray(zeroBytes, '\0')));
        const QString zip = workFolder(QStringLiteral("zip")) + QStringLiteral("/1.6.8.0.zip");
        QVERIFY(run(QStringLiteral("7za"),
            { QStringLiteral("a"), QStringLiteral("-tzip"), zip, QStringLiteral("config.ini"),
                folder },
            source));
        if (damage == QLatin1String("not an archive"))
            QVERIFY(writeFile(zip, "plain text, not a zip"));
        const QString install = workFolder(QStringLiteral("Program Files/Zov 1v1"));
        QVERIFY(writeFile(install + QStringLiteral("/config.ini"), "installed"));

        const QByteArray path = qgetenv("PATH");
        if (damage == QLatin1String("no archive tool"))
            qputenv("PATH", m_env.root().toLocal8Bit());
        QString error;
        const bool done
            = PackageUnpacker::unpackVersion(zip, install, QStringLiteral("1.6.8.0"), error);
        qputenv("PATH", path);
        QCOMPARE(done, unpacked);
        QCOMPARE(error.isEmpty(), unpacked);
        QCOMPARE(entriesIn(install),
            unpacked ? QStringList({ "1.6.8.0", "1.6.8.0/res", "1.6.8.0/res/data file.txt",
                "1.6.8.0/zovwx1v1_Student", "config.ini" })
                     : QStringList({ "config.ini" }));
        QCOMPARE(readFile(install + QStringLiteral("/config.ini")), QByteArray("installed"));
    }

    // Entry names that point outside the destination, and links that do: nothing may land
    // outside, while the harmless entry beside them does land. The tool folds "../" and
    // leading "/" into the destination, rewrites absolute link targets below it and refuses
    // links that climb out.
    void hostileEntriesStayInside_data()
    {
        QTest::addColumn<QJsonArray>("entries");

        const QString outside = m_env.root() + QStringLiteral("/outside");
        QTest::newRow("parent folder") << QJsonArray { QJsonArray { "../escaped.txt", "bad", "" },
            QJsonArray { "1.6.8.0/../../../outside/escaped.txt", "bad", "" } };
        QTest::newRow("absolute path")
            << QJsonArray { QJsonArray { outside + "/escaped.txt", "bad", "" } };
        QTest::newRow("absolute link") << QJsonArray { QJsonArray { "1.6.8.0/link", "", outside },
            QJsonArray { "1.6.8.0/link/escaped.txt", "bad", "" } };
        QTest::newRow("climbing link")
            << QJsonArray { QJsonArray { "1.6.8.0/link", "", "../../../outside" },
                   QJsonArray { "1.6.8.0/link/escaped.txt", "bad", "" } };
    }

    void hostileEntriesStayInside()
    {
        QFETCH(QJsonArray, entries);
        entries.prepend(QJsonArray { "1.6.8.0/ok.txt", "ok", "" });
        const QString outside = m_env.root() + QStringLiteral("/outside");
        QDir(outside).removeRecursively();
        QVERIFY(QDir().mkpath(outside));
        const QString zip = workFolder(QStringLiteral("hostile")) + QStringLiteral("/p.zip");
        QVERIFY(writeRawZip(zip, entries));
        const QString install = workFolder(QStringLiteral("install/dest"));

        UpdateBase::unzip(zip, install);

        QCOMPARE(entriesIn(outside), QStringList());
        QCOMPARE(readFile(install + QStringLiteral("/1.6.8.0/ok.txt")), QByteArray("ok"));
        for (const QString& entry : entriesIn(QFileInfo(install).absolutePath()))
            QVERIFY2(entry == QLatin1String("dest") || entry.startsWith(QLatin1String("dest/")),
                qPrintable(entry));
        for (const QString& entry : entriesIn(install)) {
            const QFileInfo info(install + QLatin1Char('/') + entry);
            if (info.isSymLink())
                QVERIFY2(info.symLinkTarget().startsWith(install + QLatin1Char('/')),
                    qPrintable(info.symLinkTarget()));
        }
    }

    // Links are removed, never followed: the folder they point at is not the package's.
    void removeFileOrDir_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << "file";
        QTest::newRow("folder with hidden and nested entries") << "tree";
        QTest::newRow("link to a folder") << "folderLink";
        QTest::newRow("dangling link") << "danglingLink";
    }

    void removeFileOrDir()
    {
        QFETCH(QString, kind);

        const QString root = workFolder(QStringLiteral("remove"));
        const QString keep = workFolder(QStringLiteral("keep"));
        QVERIFY(writeFile(keep + QStringLiteral("/precious.txt"), "keep me"));
        const QString target = root + QStringLiteral("/target");
        if (kind == QLatin1String("file")) {
            QVERIFY(writeFile(target, "x"));
        } else if (kind == QLatin1String("tree")) {
            QVERIFY(writeFile(target + QStringLiteral("/.hidden"), "h"));
            QVERIFY(writeFile(target + QStringLiteral("/a/b/c.txt"), "c"));
            QVERIFY(QDir().mkpath(target + QStringLiteral("/empty/.also")));
            QVERIFY(QFile::link(keep, target + QStringLiteral("/a/link")));
        } else if (kind == QLatin1String("folderLink")) {
            QVERIFY(QFile::link(keep, target));
        } else {
            QVERIFY(QFile::link(root + QStringLiteral("/gone"), target));
        }

        UpdateBase::removeFileOrDir(target);
        QCOMPARE(entriesIn(root), QStringList());
        QCOMPARE(readFile(keep + QStringLiteral("/precious.txt")), QByteArray("keep me"));
    }

    // Both directions of each pair are compared.
    void versionComparison_data()
    {
        QTest::addColumn<QStringList>("versions");
        QTest::addColumn<int>("expected");
        QTest::newRow("two-digit part") << QStringList { "1.6.10.0", "1.6.9.9" } << 1;
        QTest::newRow("short form") << QStringList { "1.7", "1.7.0.0" } << 0;
        QTest::newRow("blanks") << QStringList { "  1.6.7.0 ", "1.6.7.0" } << 0;
        QTest::newRow("fifth part ignored") << QStringList { "1.6.7.0.5", "1.6.7.0" } << 0;
        QTest::newRow("major wins") << QStringList { "2.0.0.0", "1.99.99.99" } << 1;
        QTest::newRow("not a number counts 0") << QStringList { "1.6.x.1", "1.6.0.1" } << 0;
        QTest::newRow("empty part") << QStringList { "1..7", "1.0.7" } << 0;
        QTest::newRow("empty against version") << QStringList { "", "1.6.7.0" } << -1;
        QTest::newRow("both empty") << QStringList { "", "" } << 0;
        QTest::newRow("leading zeros") << QStringList { "1.06.07.0", "1.6.7" } << 0;
    }

    void versionComparison()
    {
        QFETCH(QStringList, versions);
        QFETCH(int, expected);
        QCOMPARE(UpdateManager::checkVersionQM(versions.at(0), versions.at(1)), expected);
        QCOMPARE(UpdateManager::checkVersionQM(versions.at(1), versions.at(0)), -expected);
    }

    // The optional and forced offers that follow a newer version are the flows' to prove.
    void replyVerdict_data()
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
        QTest::newRow("error code")
            << scenario(QStringLiteral("errorcode")) << QString() << 0 << 2 << -1 << -1;
        QTest::newRow("malformed")
            << scenario(QStringLiteral("malformed")) << QString() << 0 << 2 << -1 << -1;
        QTest::newRow("same version")
            << updateReply(kLocalVersion, 1, 1) << QString() << 0 << 2 << 0 << -1;
        QTest::newRow("older version")
            << updateReply(QStringLiteral("1.6.6.0"), 2, 1) << QString() << 0 << 2 << -1 << -1;
        QTest::newRow("newer silent")
            << updateReply(QStringLiteral("1.6.8.0"), 0, 0) << QString() << 0 << 3 << 1 << 0;
        QTest::newRow("version naming other folders")
            << updateReply(QStringLiteral("9.0/../../x"), 1, 1) << QString() << 0 << 2 << -1 << -1;
        QTest::newRow("unknown update type")
            << updateReply(QStringLiteral("1.6.8.0"), 7, 1) << QString() << 0 << 2 << -1 << -1;
        QTest::newRow("server error") << forced << "error500" << 1 << 1 << -1 << -1;
        QTest::newRow("connection closed") << forced << "close" << 4 << 1 << -1 << -1;
    }

    void replyVerdict()
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

    // "Later" and the once-a-day rule are the flows'; this is the skipped version alone.
    void skippedVersionIsNotOfferedAgain()
    {
        auto manager = checkedManager(updateReply(QStringLiteral("1.6.8.0"), 1, 1));
        QVERIFY(manager);
        ModalWatcher<UpdateOpDialog> watcher([](UpdateOpDialog* dialog) { emit dialog->skip(); });
        manager->updateEx();
        QVERIFY(watcher.answered());
        QCOMPARE(setting(QStringLiteral("IgnoreVersion")), QStringLiteral("1.6.8.0"));
        QCOMPARE(manager->state(), int(UpdateManager::STATE_EXIST));

        // Start-up polls again, on another day.
        writeSetting(
            QStringLiteral("update"), QStringLiteral("StartupTs"), QStringLiteral("20000101"));
        manager->updateEx();
        QCOMPARE(manager->state(), int(UpdateManager::STATE_NO_EXIST));
    }

    void silentUpdateReadiesPackageOnRecheck()
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
        QVERIFY(
            QTest::qWaitFor([&] { return manager.packageResult() != UpdateManager::PackageNone; },
                downloadTimeoutMs));

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

    void recheckDownloadFailure()
    {
        m_service.servePackage(QStringLiteral("diff_bad.zip"), "some bytes");
        auto manager = checkedManager(updateReply(QStringLiteral("1.6.8.0"), 1, 0,
                                          QStringLiteral("00000000000000000000000000000000"),
                                          { QStringLiteral("/packages/diff_bad.zip") }),
            UpdateManager::TriggerRecheck);
        QVERIFY(manager);
        QVERIFY(
            QTest::qWaitFor([&] { return manager->packageResult() != UpdateManager::PackageNone; },
                downloadTimeoutMs));
        QCOMPARE(manager->packageResult(), int(UpdateManager::PackageFailed));
        QCOMPARE(manager->state(), int(UpdateManager::STATE_FAILED));
        QCOMPARE(manager->compareResult(), -1);
        QCOMPARE(manager->newVersionUpdateType(), -1);
        QVERIFY(!manager->hasDownloader());
        QCOMPARE(manager->updateInfo().localVersion, kLocalVersion);
        QCOMPARE(UpdateBase::serverIndex(), 1);
    }

    void forcedUpdateCancelEndsStartup()
    {
        writeSetting(QStringLiteral("update"), QStringLiteral("AutoDownloadFrom"),
            QStringLiteral("1.6.9.0"));
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
        QCOMPARE(setting(QStringLiteral("AutoDownloadFrom")), kLocalVersion);
        QCOMPARE(readConfigIni(QStringLiteral("version"), QStringLiteral("ver")).toString(),
            kLocalVersion);
    }

    // A forced difference package, then an optional full one, announced in one run: the
    // record keeps both URLs, each checksum in the slot its package type names and the forced
    // verdict. The download fails at the first URL; the retry gets a file that is no archive.
    void recordOfTheRunAndRetryWithNextUrl()
    {
        const QByteArray md5
            = m_service.servePackage(QStringLiteral("notzip_1.6.9.0.zip"), "not an archive");
        UpdateManager manager;
        for (const QJsonObject& reply :
            { updateReply(QStringLiteral("1.6.8.12"), 2, 0, QStringLiteral("aaaa"),
                  { QStringLiteral("/packages/broken") }),
                updateReply(QStringLiteral("1.6.9.0"), 1, 1, QString::fromLatin1(md5),
                    { QStringLiteral("/packages/notzip_1.6.9.0.zip") }) }) {
            QVERIFY(m_service.setVersionReply(reply));
            manager.checkout(UpdateManager::TriggerStartup);
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return manager.updateInfo().newVersion == reply.value("version").toString();
                },
                replyTimeoutMs));
        }
        const UpdateInfo& info = manager.updateInfo();
        QCOMPARE(info.urls.size(), 2);
        QCOMPARE(info.diffMd5, QStringLiteral("aaaa"));
        QCOMPARE(info.fullMd5, QString::fromLatin1(md5));
        QCOMPARE(info.updateType, 1);
        QCOMPARE(info.updateMsg, kUpdateMessage);
        QVERIFY(manager.isImportant());

        QStringList failureTitles;
        whenModalShown<UpdateOpDialog>([&](UpdateOpDialog* dialog) {
            whenModalShown<UpdatingDialogEx>([&](UpdatingDialogEx* updating) {
                auto* title = updating->findChild<QLabel*>(QStringLiteral("title"));
                auto failed
                    = [&] { return currentPage(updating) == UpdatingDialogEx::FailurePage; };
                if (QTest::qWaitFor(failed, downloadTimeoutMs)) {
                    failureTitles << title->text();
                    QTest::mouseClick(
                        updating->findChild<QPushButton*>(QStringLiteral("retryButton")),
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
    void userCheck_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::addColumn<bool>("offered");
        QTest::newRow("nothing newer") << scenario(QStringLiteral("none")) << false;
        QTest::newRow("skipped version offered today")
            << updateReply(QStringLiteral("1.6.8.0"), 1, 1) << true;
    }

    void userCheck()
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
        auto* dialog = qobject_cast<CheckingDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (offered) {
            QVERIFY(QTest::qWaitFor([&] { return offerShown; }, replyTimeoutMs));
            QVERIFY(!deferrable);
            return;
        }
        QVERIFY(QTest::qWaitFor(
            [&] { return manager.state() != UpdateManager::STATE_CHECKING; }, replyTimeoutMs));
        QCOMPARE(currentPage(dialog), int(CheckingDialog::ResultPage));
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("result"))->text(),
            QStringLiteral("当前版本%1，你已是最新版本").arg(kLocalVersion));
        dialog->accept();
    }

private:
    // Runs one attempt to its end; the finish code, or -2 when none came.
    int download(const UpdateInfo& info, QString* errMsg, QString* path)
    {
        UpdateBase base(nullptr);
        QSignalSpy finished(&base, &UpdateBase::finished);
        base.setUpdateInfo(info);
        if (finished.isEmpty() && !finished.wait(downloadTimeoutMs))
            return -2;
        if (errMsg)
            *errMsg = finished.first().at(1).toString();
        *path = base.downloadFilePath();
        return finished.first().at(0).toInt();
    }

    QString setupFolder() const
    {
        // Made by the platform, so that it is private as the download wants it.
        return zov::platform::Platform::instance().privateTempFolder()
            + QStringLiteral("/zov_setup");
    }

    QString workFolder(const QString& name) const
    {
        const QString folder = m_env.root() + QStringLiteral("/work/") + name;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return folder;
    }

    // A manager as a new run of the program has it, after a check of the given type.
    std::unique_ptr<UpdateManager> checkedManager(const QJsonObject& reply, int type = 0)
    {
        if (!m_service.setVersionReply(reply))
            return nullptr;
        auto manager = std::make_unique<UpdateManager>();
        manager->checkout(type);
        // A re-check that finds a newer version answers through its download instead.
        const bool answered = QTest::qWaitFor(
            [&] {
                return manager->state() != UpdateManager::STATE_CHECKING
                    || manager->hasDownloader();
            },
            replyTimeoutMs);
        return answered ? std::move(manager) : nullptr;
    }

    TestEnvironment m_env;
    LocalService m_service;
};

QTEST_MAIN(TestUpdateManager)
#include "tst_updatemanager.moc"
