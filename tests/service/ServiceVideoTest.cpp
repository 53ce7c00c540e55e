#include "HttpExchange.h"
#include "LocalService.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

namespace {

constexpr int stallAfterBytes = 1500;
// Ample for any answer on loopback; a held response still has not ended after it.
constexpr int quietMs = 1500;

} // namespace

// A range of the lesson video from each host, as a client sees it: the right bytes, a host
// that never has the video, and one that stops at its offset and then holds the connection.
// Beside the video, the whiteboard's data files the replay information lists.
class ServiceVideoTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rangeFromEachHost_data();
    void rangeFromEachHost();

    void replayListsServedDataFiles();

private:
    LocalService m_service;
    QByteArray m_video;
};

void ServiceVideoTest::initTestCase()
{
    QVERIFY(m_service.start());
    QFile file(m_service.videoFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_video = file.readAll();
    QVERIFY(m_service.setVideoFaults(stallAfterBytes, 100000));
}

void ServiceVideoTest::rangeFromEachHost_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("ended");

    QTest::newRow("a") << "a" << QByteArray("bytes=1000-1999") << 206 << 1000 << 1000 << true;
    QTest::newRow("b") << "b" << QByteArray("bytes=1000-1999") << 206 << 1000 << 1000 << true;
    QTest::newRow("missing") << "missing" << QByteArray("bytes=1000-1999") << 404 << 0 << 0 << true;
    QTest::newRow("stall, across its offset") << "stall" << QByteArray("bytes=1000-1999") << 206
                                              << 1000 << stallAfterBytes - 1000 << false;
    QTest::newRow("stall, past its offset")
        << "stall" << QByteArray("bytes=2000-2999") << 206 << 0 << 0 << false;
}

void ServiceVideoTest::rangeFromEachHost()
{
    QFETCH(QString, host);
    QFETCH(QByteArray, range);
    QFETCH(int, status);
    QFETCH(int, from);
    QFETCH(int, length);
    QFETCH(bool, ended);

    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(m_service.videoHostUrl(host) + QStringLiteral("lesson.mp4")));
    request.setRawHeader("Range", range);
    QNetworkReply* reply = manager.get(request);
    QByteArray body;
    connect(reply, &QNetworkReply::readyRead, this, [&body, reply] { body += reply->readAll(); });
    QSignalSpy finished(reply, &QNetworkReply::finished);
    finished.wait(quietMs);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
    QCOMPARE(finished.count() == 1, ended);
    QCOMPARE(body.size(), length);
    QVERIFY(body == m_video.mid(from, length));
}

// Asked for broken files, the service lists the second at a dead address and the last
// with a checksum that does not match what it serves.
void ServiceVideoTest::replayListsServedDataFiles()
{
    const HttpExchange http(m_service);
    for (const bool broken : { false, true }) {
        QVERIFY(m_service.setReplayDataFaults(broken, broken));
        const HttpResult reply = http.postApi(
            QStringLiteral("/olbusiness/api/playback/getReplayEnterUrl"), R"({"planId":1})");
        const QJsonObject data = QJsonDocument::fromJson(reply.body).object()["data"].toObject();
        const QJsonArray files = data["replayData"].toArray();
        QCOMPARE(files.size(), 3);
        for (int index = 0; index < files.size(); ++index) {
            const HttpResult served = http.get(QUrl(files[index]["url"].toString()));
            QCOMPARE(served.status, broken && index == 1 ? 404 : 200);
            const QByteArray md5 = QCryptographicHash::hash(served.body, QCryptographicHash::Md5);
            QCOMPARE(
                md5.toHex() == files[index]["md5"].toString().toLatin1(), !broken || index == 0);
        }
    }
    QVERIFY(m_service.setReplayDataFaults(false, false));
}

QTEST_GUILESS_MAIN(ServiceVideoTest)
#include "ServiceVideoTest.moc"
