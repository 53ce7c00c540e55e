#include "LocalService.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "platform/Platform.h"
#include "update/PackageUnpacker.h"
#include "update/UpdateBase.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using testfiles::md5Hex;
using testfiles::readFile;
using testfiles::writeFile;

namespace {

constexpr int downloadTimeoutMs = 60000;

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

// Writes a zip whose entry names are exactly as given, which the archive tool itself
// would never produce: {name, content, symlink target or empty}.
bool writeRawZip(const QString& path, const QList<QStringList>& entries)
{
    QString script = QStringLiteral("import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1], 'w')\n");
    for (const QStringList& entry : entries) {
        if (entry.at(2).isEmpty()) {
            script += QStringLiteral("z.writestr(%1, %2)\n").arg(entry.at(0), entry.at(1));
        } else {
            script += QStringLiteral("i = zipfile.ZipInfo(%1); i.create_system = 3\n"
                                     "i.external_attr = 0o120777 << 16\n"
                                     "z.writestr(i, %2)\n")
                          .arg(entry.at(0), entry.at(2));
        }
    }
    script += QStringLiteral("z.close()\n");
    return run(QStringLiteral("python3"), { QStringLiteral("-c"), script, path });
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

// Downloading a package with the real curl from the local service, and unpacking and
// removing with the real archive tool and file system.
class TestUpdateBase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void downloadIntoThePrivateFolder_data();
    void downloadIntoThePrivateFolder();
    void serverIndexMovesOnAndWraps();

    void unpackVersion_data();
    void unpackVersion();
    void hostileEntriesStayInside_data();
    void hostileEntriesStayInside();

    void removeFileOrDir_data();
    void removeFileOrDir();

private:
    // Runs one attempt to its end; the finish code, or -2 when none came.
    int download(const UpdateInfo& info, QString* errMsg = nullptr, QString* path = nullptr,
        QList<float>* progress = nullptr);
    QString setupFolder() const;
    QString workFolder(const QString& name) const;

    TestEnvironment m_env;
    LocalService m_service;
};

void TestUpdateBase::initTestCase()
{
    QVERIFY(m_env.isValid());
    m_env.apply();
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("7za")).isEmpty(), "7za is missing");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty(), "curl is missing");
    QVERIFY(m_service.start());
}

void TestUpdateBase::init()
{
    UpdateBase::resetServerIndex();
    QDir(setupFolder()).removeRecursively();
}

int TestUpdateBase::download(
    const UpdateInfo& info, QString* errMsg, QString* path, QList<float>* progress)
{
    UpdateBase base(nullptr);
    QSignalSpy finished(&base, &UpdateBase::finished);
    QSignalSpy progressed(&base, &UpdateBase::progress);
    base.setUpdateInfo(info);
    if (finished.isEmpty() && !finished.wait(downloadTimeoutMs))
        return -2;
    if (errMsg)
        *errMsg = finished.first().at(1).toString();
    if (path)
        *path = base.downloadFilePath();
    if (progress) {
        for (const QList<QVariant>& signal : progressed)
            progress->append(signal.at(0).toFloat());
    }
    return finished.first().at(0).toInt();
}

QString TestUpdateBase::setupFolder() const
{
    // Made by the platform, so that it is private as the download wants it.
    return zov::platform::Platform::instance().privateTempFolder() + QStringLiteral("/zov_setup");
}

QString TestUpdateBase::workFolder(const QString& name) const
{
    const QString folder = m_env.root() + QStringLiteral("/work/") + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

// The expected MD5 comes from the slot the package type names, compared as lower-case
// text. The local name is the URL's plain file name inside the folder, the version's
// when it has none; a leftover of that name is deleted, never resumed (a longer stale
// file would keep its tail), and the folder's neighbours are never touched.
void TestUpdateBase::downloadIntoThePrivateFolder_data()
{
    QTest::addColumn<QString>("packType");
    QTest::addColumn<QString>("slot");
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
    QTest::newRow("full package, full MD5")
        << "1"
        << "full" << false << url << false << 0 << fallback << verified;
    QTest::newRow("difference package, difference MD5")
        << "0"
        << "diff" << false << url << false << 0 << fallback << verified;
    QTest::newRow("full package, MD5 in the difference slot")
        << "1"
        << "diff" << false << url << false << -1 << fallback << failed;
    QTest::newRow("difference package, MD5 in the full slot")
        << "0"
        << "full" << false << url << false << -1 << fallback << failed;
    QTest::newRow("upper-case MD5 never verifies")
        << "1"
        << "full" << true << url << false << -1 << fallback << failed;
    QTest::newRow("unknown package type checks the difference slot")
        << "2"
        << "full" << false << url << false << -1 << fallback << failed;
    QTest::newRow("stale package downloaded afresh")
        << "1"
        << "full" << false << url << true << 0 << fallback << verified;
    QTest::newRow("query and fragment") << "1"
                                        << "full" << false << "/packages/named.zip?v=2#top" << false
                                        << 0 << "named.zip" << verified;
    QTest::newRow("the parent folder")
        << "1"
        << "full" << false << "/packages/.." << false << -1 << fallback << failed;
    QTest::newRow("no name") << "1"
                             << "full" << false << "/packages/" << false << -1 << fallback
                             << failed;
    QTest::newRow("no server") << "1"
                               << "full" << false << QString() << false << -1 << QString()
                               << "no available server";
}

void TestUpdateBase::downloadIntoThePrivateFolder()
{
    QFETCH(QString, packType);
    QFETCH(QString, slot);
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
        QVERIFY(
            writeFile(setupFolder() + QStringLiteral("/1.6.8.0.zip"), QByteArray(300 * 1024, 's')));
    UpdateInfo info;
    info.newVersion = QStringLiteral("1.6.8.0");
    info.packType = packType;
    if (!urlPath.isEmpty())
        info.urls = QStringList { m_service.webBaseUrl().toString() + urlPath };
    (slot == QLatin1String("full") ? info.fullMd5 : info.diffMd5) = md5;

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
void TestUpdateBase::serverIndexMovesOnAndWraps()
{
    const QByteArray content(200 * 1024, 'p');
    UpdateInfo info;
    info.packType = QStringLiteral("1");
    info.fullMd5 = QString::fromLatin1(m_service.servePackage(QStringLiteral("good.zip"), content));
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
void TestUpdateBase::unpackVersion_data()
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

void TestUpdateBase::unpackVersion()
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
        { QStringLiteral("a"), QStringLiteral("-tzip"), zip, QStringLiteral("config.ini"), folder },
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
// outside. The tool folds "../" and leading "/" into the destination, rewrites absolute
// link targets below it and refuses links that climb out.
void TestUpdateBase::hostileEntriesStayInside_data()
{
    QTest::addColumn<QList<QStringList>>("entries");

    const QString outside = m_env.root() + QStringLiteral("/outside");
    QTest::newRow("parent folder")
        << QList<QStringList> { { quoted("1.6.8.0/ok.txt"), quoted("ok"), {} },
               { quoted("../escaped.txt"), quoted("bad"), {} },
               { quoted("1.6.8.0/../../../outside/escaped.txt"), quoted("bad"), {} } };
    QTest::newRow("absolute path")
        << QList<QStringList> { { quoted("1.6.8.0/ok.txt"), quoted("ok"), {} },
               { quoted(outside + "/escaped.txt"), quoted("bad"), {} } };
    QTest::newRow("absolute link")
        << QList<QStringList> { { quoted("1.6.8.0/link"), {}, quoted(outside) },
               { quoted("1.6.8.0/link/escaped.txt"), quoted("bad"), {} } };
    QTest::newRow("climbing link")
        << QList<QStringList> { { quoted("1.6.8.0/link"), {}, quoted("../../../outside") },
               { quoted("1.6.8.0/link/escaped.txt"), quoted("bad"), {} } };
}

void TestUpdateBase::hostileEntriesStayInside()
{
    QFETCH(QList<QStringList>, entries);

    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QFAIL("python3 writes the hostile archives");
    const QString outside = m_env.root() + QStringLiteral("/outside");
    QDir(outside).removeRecursively();
    QVERIFY(QDir().mkpath(outside));
    const QString zip = workFolder(QStringLiteral("hostile")) + QStringLiteral("/p.zip");
    QVERIFY(writeRawZip(zip, entries));
    const QString install = workFolder(QStringLiteral("install/dest"));

    UpdateBase::unzip(zip, install);

    QCOMPARE(entriesIn(outside), QStringList());
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

void TestUpdateBase::removeFileOrDir_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("result");

    QTest::newRow("empty path") << "empty" << false;
    QTest::newRow("nothing there") << "missing" << false;
    QTest::newRow("file") << "file" << true;
    QTest::newRow("folder with hidden and nested entries") << "tree" << true;
    QTest::newRow("link to a folder") << "folderLink" << true;
    QTest::newRow("dangling link") << "danglingLink" << true;
}

// Links are removed, never followed: the folder they point at is not the package's.
void TestUpdateBase::removeFileOrDir()
{
    QFETCH(QString, kind);
    QFETCH(bool, result);

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
    } else if (kind == QLatin1String("danglingLink")) {
        QVERIFY(QFile::link(root + QStringLiteral("/gone"), target));
    }

    QCOMPARE(
        UpdateBase::removeFileOrDir(kind == QLatin1String("empty") ? QString() : target), result);
    QCOMPARE(entriesIn(root), QStringList());
    QCOMPARE(readFile(keep + QStringLiteral("/precious.txt")), QByteArray("keep me"));
}

QTEST_GUILESS_MAIN(TestUpdateBase)
#include "tst_updatebase.moc"
