#include "HttpExchange.h"
#include "LocalService.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

namespace {

const QString versionPath = QStringLiteral("/olbusiness/api/version");

// Bytes that differ at every offset, so a range from the wrong place shows.
QByteArray patterned(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

// What the version check answers before each choice; expected again when a choice is refused.
QJsonObject earlierReply()
{
    return { { "errorcode", 9 } };
}

QJsonObject objectOf(const HttpResult& result)
{
    return QJsonDocument::fromJson(result.body).object();
}

} // namespace

// The version check and the package host the client's updater meets: the answers a
// test chooses, and package files with byte ranges, failures and slow delivery.
class ServiceUpdateTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void versionScenarios_data();
    void versionScenarios();
    void updateRepliesTakeTurnsWithTheUrls();

    void packageRanges_data();
    void packageRanges();
    void packageFailures_data();
    void packageFailures();
    void slowPackageArrivesInPieces();

private:
    HttpResult askVersion() const;
    bool writePackage(const QString& name, const QByteArray& content) const;

    LocalService m_service;
};

void ServiceUpdateTest::initTestCase()
{
    QVERIFY(m_service.start());
}

HttpResult ServiceUpdateTest::askVersion() const
{
    QUrl url = m_service.apiBaseUrl();
    url.setPath(versionPath);
    return HttpExchange(m_service).get(url);
}

bool ServiceUpdateTest::writePackage(const QString& name, const QByteArray& content) const
{
    QFile file(m_service.packagesFolder() + QLatin1Char('/') + name);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

void ServiceUpdateTest::versionScenarios_data()
{
    QTest::addColumn<QJsonObject>("choice");
    QTest::addColumn<QJsonObject>("expected");

    const QString packageUrl = m_service.packageUrl(QStringLiteral("1.6.8.0.zip")).toString();
    QTest::newRow("none") << QJsonObject { { "scenario", "none" } }
                          << QJsonObject { { "errorcode", 0 }, { "data", QJsonObject() } };
    QTest::newRow("errorcode") << QJsonObject { { "scenario", "errorcode" }, { "errorcode", 7 } }
                               << QJsonObject { { "errorcode", 7 } };
    QTest::newRow("errorcode defaults to 1")
        << QJsonObject { { "scenario", "errorcode" } } << QJsonObject { { "errorcode", 1 } };
    QTest::newRow("malformed") << QJsonObject { { "scenario", "malformed" } } << QJsonObject();
    // A refused choice leaves the earlier one in force.
    const QJsonObject earlier = earlierReply();
    QTest::newRow("unknown scenario refused") << QJsonObject { { "scenario", "later" } } << earlier;
    QTest::newRow("errorcode 0 refused")
        << QJsonObject { { "scenario", "errorcode" }, { "errorcode", 0 } } << earlier;
    QTest::newRow("update without urls refused")
        << QJsonObject { { "scenario", "update" }, { "version", "1.6.8.0" } } << earlier;
    QTest::newRow("update with a URL that is no text refused") << QJsonObject {
        { "scenario", "update" }, { "version", "1.6.8.0" }, { "urls", QJsonArray { 5 } }
    } << earlier;
    QTest::newRow("update") << QJsonObject { { "scenario", "update" }, { "version", "1.6.8.0" },
        { "updateType", 2 }, { "packType", 1 }, { "md5", "0123456789abcdef0123456789abcdef" },
        { "updateMsg", "修复了一些问题" }, { "urls", QJsonArray { "/packages/1.6.8.0.zip" } } }
                            << QJsonObject { { "errorcode", 0 },
                                   { "data",
                                       QJsonObject { { "version", "1.6.8.0" },
                                           { "url", packageUrl }, { "packType", 1 },
                                           { "downloadmd5", "0123456789abcdef0123456789abcdef" },
                                           { "updateType", 2 },
                                           { "updateMsg", "修复了一些问题" } } } };
}

// An empty expectation stands for a body that is no JSON at all.
void ServiceUpdateTest::versionScenarios()
{
    QFETCH(QJsonObject, choice);
    QFETCH(QJsonObject, expected);

    QVERIFY(m_service.setVersionReply({ { "scenario", "errorcode" }, { "errorcode", 9 } }));
    QCOMPARE(m_service.setVersionReply(choice), expected != earlierReply());
    const HttpResult result = askVersion();
    QCOMPARE(result.status, 200);
    QJsonParseError error {};
    const QJsonObject reply = QJsonDocument::fromJson(result.body, &error).object();
    if (expected.isEmpty()) {
        QVERIFY(error.error != QJsonParseError::NoError);
        return;
    }
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(reply.value(it.key()), it.value());
    QCOMPARE(reply.contains("data"), expected.contains("data"));
}

// The client collects one URL per reply; a new choice starts the list over.
void ServiceUpdateTest::updateRepliesTakeTurnsWithTheUrls()
{
    const QJsonObject choice { { "scenario", "update" }, { "version", "1.6.8.0" },
        { "urls", QJsonArray { "/packages/a.zip", "http://mirror.invalid/b.zip" } } };
    const QString local = m_service.packageUrl(QStringLiteral("a.zip")).toString();
    const QString mirror = QStringLiteral("http://mirror.invalid/b.zip");
    QVERIFY(m_service.setVersionReply(choice));
    QStringList urls;
    for (int i = 0; i < 3; ++i)
        urls << objectOf(askVersion()).value("data").toObject().value("url").toString();
    QCOMPARE(urls, QStringList({ local, mirror, local }));

    QVERIFY(m_service.setVersionReply(choice));
    QCOMPARE(objectOf(askVersion()).value("data").toObject().value("url").toString(), local);
}

void ServiceUpdateTest::packageRanges_data()
{
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<bool>("slow");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("length");

    const int size = 2500 * 1024;
    QTest::newRow("whole file") << QByteArray() << false << 200 << 0 << size;
    QTest::newRow("across a chunk boundary")
        << QByteArray("bytes=1048570-1048589") << false << 206 << 1048570 << 20;
    QTest::newRow("resume from an offset")
        << QByteArray("bytes=2000000-") << false << 206 << 2000000 << size - 2000000;
    QTest::newRow("last bytes") << QByteArray("bytes=-50") << false << 206 << size - 50 << 50;
    QTest::newRow("slow, resumed mid-chunk")
        << QByteArray("bytes=2300000-") << true << 206 << 2300000 << size - 2300000;
}

void ServiceUpdateTest::packageRanges()
{
    QFETCH(QByteArray, range);
    QFETCH(bool, slow);
    QFETCH(int, status);
    QFETCH(int, from);
    QFETCH(int, length);

    const QByteArray content = patterned(2500 * 1024);
    QVERIFY(writePackage(QStringLiteral("ranged.zip"), content));
    HttpExchange client(m_service);
    if (!range.isEmpty())
        client.setHeaders({ { "Range", range } });
    const HttpResult result = client.get(m_service.packageUrl(QStringLiteral("ranged.zip"), slow));
    QCOMPARE(result.error, QNetworkReply::NoError);
    QCOMPARE(result.status, status);
    QCOMPARE(result.body.size(), length);
    QVERIFY(result.body == content.mid(from, length));
}

void ServiceUpdateTest::packageFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");

    QTest::newRow("broken host") << "broken" << 500;
    QTest::newRow("missing package") << "1.9.9.9.zip" << 404;
}

// Even with a file of that name in place, "broken" fails.
void ServiceUpdateTest::packageFailures()
{
    QFETCH(QString, name);
    QFETCH(int, status);

    QVERIFY(writePackage(QStringLiteral("broken"), "a real file"));
    QUrl url = m_service.webBaseUrl();
    url.setPath(QStringLiteral("/packages/") + name);
    const HttpResult result = HttpExchange(m_service).get(url);
    QCOMPARE(result.status, status);
}

// Slow delivery is the same bytes, arriving in many pieces a client can report.
void ServiceUpdateTest::slowPackageArrivesInPieces()
{
    const QByteArray content = patterned(640 * 1024);
    QVERIFY(writePackage(QStringLiteral("slow.zip"), content));
    QNetworkAccessManager manager;
    QNetworkReply* reply
        = manager.get(QNetworkRequest(m_service.packageUrl(QStringLiteral("slow.zip"), true)));
    QSet<qint64> steps;
    connect(reply, &QNetworkReply::downloadProgress, this,
        [&steps](qint64 received, qint64) { steps.insert(received); });
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(60000));
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QVERIFY(reply->readAll() == content);
    QVERIFY2(steps.size() >= 5, qPrintable(QString::number(steps.size())));
}

QTEST_GUILESS_MAIN(ServiceUpdateTest)
#include "ServiceUpdateTest.moc"
