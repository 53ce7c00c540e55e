#include "HttpExchange.h"
#include "LocalService.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/course/init");
const QString uploadConfigPath = QStringLiteral("/olbusiness/api/log/uploadConfig");

QJsonObject objectOf(const HttpResult& result)
{
    return QJsonDocument::fromJson(result.body).object();
}

// Every file under folder, as paths relative to it, in sorted order.
QStringList filesIn(const QString& folder)
{
    QStringList files;
    QDirIterator found(folder, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext())
        files.append(QDir(folder).relativeFilePath(found.next()));
    files.sort();
    return files;
}

void addPart(QHttpMultiPart& form, const QByteArray& disposition, const QByteArray& content)
{
    QHttpPart part;
    part.setRawHeader("Content-Disposition", "form-data; " + disposition);
    part.setBody(content);
    form.append(part);
}

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

} // namespace

// The faults and answers a test can ask of the local service, as a client meets them. A
// choice the service cannot honour must be refused rather than leave a client test passing
// without its fault. What the client suites already prove through the program (the request
// faults through both transports, what a request carried, the video hosts, the package
// mirrors) is not repeated here.
class ServiceFaultTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_service.start()); }

    void badFaultRefused()
    {
        QVERIFY(!m_service.injectFaults(1, "explode"));
        QVERIFY(!m_service.injectFaults(-1, "close"));
        QVERIFY(!m_service.injectFaults(1, "slow", -5));
        QCOMPARE(HttpExchange(m_service).postApi(uploadConfigPath, "{}").status, 200);
    }

    // Asking for a count is itself a request; the armed fault must wait for the client's.
    void faultWaitsForTheClientsRequest()
    {
        QVERIFY(m_service.injectFaults(1, "error500"));
        QCOMPARE(m_service.requestCount(configPath), 0);
        const HttpExchange client(m_service);
        QCOMPARE(client.postApi(configPath, "{\"type\":1}").status, 500);
        QCOMPARE(client.postApi(configPath, "{\"type\":1}").status, 200);
        QCOMPARE(m_service.requestCount(configPath), 2);
        QCOMPARE(m_service.requestCount("/control/stats"), 0);
    }

    void versionScenarios_data()
    {
        QTest::addColumn<QJsonObject>("choice");
        QTest::addColumn<QJsonObject>("expected");

        const QString packageUrl = m_service.packageUrl(QStringLiteral("1.6.8.0.zip")).toString();
        QTest::newRow("none") << QJsonObject { { "scenario", "none" } }
                              << QJsonObject { { "errorcode", 0 }, { "data", QJsonObject() } };
        QTest::newRow("errorcode") << QJsonObject { { "scenario", "errorcode" },
            { "errorcode", 7 } } << QJsonObject { { "errorcode", 7 } };
        QTest::newRow("errorcode defaults to 1")
            << QJsonObject { { "scenario", "errorcode" } } << QJsonObject { { "errorcode", 1 } };
        QTest::newRow("malformed") << QJsonObject { { "scenario", "malformed" } } << QJsonObject();
        const QJsonObject earlier = earlierReply();
        QTest::newRow("unknown scenario refused")
            << QJsonObject { { "scenario", "later" } } << earlier;
        QTest::newRow("errorcode 0 refused")
            << QJsonObject { { "scenario", "errorcode" }, { "errorcode", 0 } } << earlier;
        QTest::newRow("update without urls refused")
            << QJsonObject { { "scenario", "update" }, { "version", "1.6.8.0" } } << earlier;
        QTest::newRow("update with a URL that is no text refused") << QJsonObject {
            { "scenario", "update" }, { "version", "1.6.8.0" }, { "urls", QJsonArray { 5 } }
        } << earlier;
        QTest::newRow("update")
            << QJsonObject { { "scenario", "update" }, { "version", "1.6.8.0" },
                   { "updateType", 2 }, { "packType", 1 },
                   { "md5", "0123456789abcdef0123456789abcdef" }, { "updateMsg", "修复了一些问题" },
                   { "urls", QJsonArray { "/packages/1.6.8.0.zip" } } }
            << QJsonObject { { "errorcode", 0 },
                   { "data",
                       QJsonObject { { "version", "1.6.8.0" }, { "url", packageUrl },
                           { "packType", 1 }, { "downloadmd5", "0123456789abcdef0123456789abcdef" },
                           { "updateType", 2 }, { "updateMsg", "修复了一些问题" } } } };
    }

    // An empty expectation stands for a body that is no JSON at all.
    void versionScenarios()
    {
        QFETCH(QJsonObject, choice);
        QFETCH(QJsonObject, expected);

        QVERIFY(m_service.setVersionReply({ { "scenario", "errorcode" }, { "errorcode", 9 } }));
        QCOMPARE(m_service.setVersionReply(choice), expected != earlierReply());
        QUrl url = m_service.apiBaseUrl();
        url.setPath(QStringLiteral("/olbusiness/api/version"));
        const HttpResult result = HttpExchange(m_service).get(url);
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

    void packageRanges_data()
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
        QTest::newRow("last bytes") << QByteArray("bytes=-50") << false << 206 << size - 50 << 50;
        QTest::newRow("slow, resumed mid-chunk")
            << QByteArray("bytes=2300000-") << true << 206 << 2300000 << size - 2300000;
    }

    void packageRanges()
    {
        QFETCH(QByteArray, range);
        QFETCH(bool, slow);
        QFETCH(int, status);
        QFETCH(int, from);
        QFETCH(int, length);

        const QByteArray content = patterned(2500 * 1024);
        QVERIFY(!m_service.servePackage(QStringLiteral("ranged.zip"), content).isEmpty());
        HttpExchange client(m_service);
        if (!range.isEmpty())
            client.setHeaders({ { "Range", range } });
        const HttpResult result
            = client.get(m_service.packageUrl(QStringLiteral("ranged.zip"), slow));
        QCOMPARE(result.error, QNetworkReply::NoError);
        QCOMPARE(result.status, status);
        QCOMPARE(result.body.size(), length);
        QVERIFY(result.body == content.mid(from, length));
    }

    void uploadRefused_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<QByteArray>("markId");
        QTest::addColumn<QByteArray>("fileName");
        QTest::addColumn<int>("status");

        // "valid" stands for the token of the configuration.
        const QByteArray valid("valid");
        QTest::newRow("no token") << QByteArray() << QByteArray("1") << QByteArray("a.txt") << 403;
        QTest::newRow("no mark id") << valid << QByteArray() << QByteArray("a.txt") << 400;
        QTest::newRow("mark id leaving the folder")
            << valid << QByteArray("../x") << QByteArray("a.txt") << 400;
        QTest::newRow("no file name") << valid << QByteArray("1") << QByteArray("") << 400;
        QTest::newRow("parent folder") << valid << QByteArray("1") << QByteArray("..") << 400;
        QTest::newRow("path in name")
            << valid << QByteArray("1") << QByteArray("../../escape.txt") << 400;
        QTest::newRow("windows path")
            << valid << QByteArray("1") << QByteArray("..\\escape.txt") << 400;
    }

    // A refused upload leaves nothing in the service's folder, in particular not outside it.
    void uploadRefused()
    {
        QFETCH(QByteArray, token);
        QFETCH(QByteArray, markId);
        QFETCH(QByteArray, fileName);
        QFETCH(int, status);
        HttpExchange client(m_service);
        const QJsonObject config
            = objectOf(client.postApi(uploadConfigPath, "{}")).value("data").toObject();
        QVERIFY(!config.isEmpty());
        const QStringList before = filesIn(m_service.stateFolder());

        QHttpMultiPart form(QHttpMultiPart::FormDataType);
        addPart(form, "name=\"file\"; filename=\"" + fileName + "\"", "content");
        if (!markId.isNull())
            addPart(form, "name=\"markId\"", markId);
        if (!token.isNull())
            client.setHeaders({ { "X-Upload-Token",
                token == "valid" ? config.value("uploadToken").toString().toUtf8() : token } });
        const HttpResult result = client.postForm(QUrl(config.value("uploadUrl").toString()), form);

        QCOMPARE(result.status, status);
        QCOMPARE(objectOf(result).value("code").toInt(-1), status);
        QVERIFY(m_service.uploads().isEmpty());
        QCOMPARE(filesIn(m_service.stateFolder()), before);
    }

    // Asked for broken files, the service lists the second at a dead address and the last
    // with a checksum that does not match what it serves.
    void replayListsServedDataFiles()
    {
        const HttpExchange http(m_service);
        for (const bool broken : { false, true }) {
            QVERIFY(m_service.setReplayDataFaults(broken, broken));
            const HttpResult reply = http.postApi(
                QStringLiteral("/olbusiness/api/playback/getReplayEnterUrl"), R"({"planId":1})");
            const QJsonArray files = objectOf(reply)["data"].toObject()["replayData"].toArray();
            QCOMPARE(files.size(), 3);
            for (int index = 0; index < files.size(); ++index) {
                const HttpResult served = http.get(QUrl(files[index]["url"].toString()));
                QCOMPARE(served.status, broken && index == 1 ? 404 : 200);
                const QByteArray md5
                    = QCryptographicHash::hash(served.body, QCryptographicHash::Md5);
                QCOMPARE(md5.toHex() == files[index]["md5"].toString().toLatin1(),
                    !broken || index == 0);
            }
        }
    }

private:
    LocalService m_service;
};

QTEST_GUILESS_MAIN(ServiceFaultTest)
#include "ServiceFaultTest.moc"
