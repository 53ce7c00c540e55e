#include "RecordingHttpServer.h"

#include "LocalService.h"
#include "core/NetworkHelper.h"

#include <QJsonObject>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using zov::network::NetworkHelper;

namespace {

const QString kInitPath = QStringLiteral("/olbusiness/api/course/init");
// No other case calls it, so its connections are this case's alone.
const QString kKeptPath = QStringLiteral("/olbusiness/api/log/uploadConfig");
const QByteArray kInitBody = "{\"type\":1}";
const int kTimeMs = 5000;
const int kWaitMs = 20000;

struct Reply
{
    int signalCount = 0;
    bool ok = false;
    QJsonValue value;
    QString msg;
};

Reply toReply(const QSignalSpy& spy)
{
    Reply reply;
    reply.signalCount = spy.count();
    if (spy.isEmpty())
        return reply;
    reply.ok = spy.first().at(0).toBool();
    reply.value = spy.first().at(1).toJsonValue();
    reply.msg = spy.first().at(2).toString();
    return reply;
}

Reply exchange(const QByteArray& method, const QString& url, int timeMs = kTimeMs)
{
    NetworkHelper helper(nullptr, QStringLiteral("test"));
    QSignalSpy spy(&helper, &NetworkHelper::httpFinished);
    if (method == "GET")
        helper.get(url, timeMs);
    else
        helper.post(url, kInitBody, false, timeMs);
    spy.wait(kWaitMs);
    return toReply(spy);
}

void addTransportRows(const char* tag = "")
{
    QTest::newRow(qPrintable(QStringLiteral("curl%1").arg(QLatin1String(tag)))) << true;
    QTest::newRow(qPrintable(QStringLiteral("qt%1").arg(QLatin1String(tag)))) << false;
}

} // namespace

// Both transports against the real local service over TLS, plus a recording server
// for what only the wire shows (headers, redirects).
class NetworkHelperTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_service.start());
        m_service.applyClientEnvironment();
        NetworkHelper::addRawHeader("Content-Type", "application/json");
        NetworkHelper::initialize();
    }

    void cleanupTestCase() { NetworkHelper::cleanup(); }

    void init()
    {
        QFETCH(bool, curl);
        NetworkHelper::useCurlNetwork(curl);
        QCOMPARE(NetworkHelper::isCurlNetwork(), curl);
    }

    void serverFaultsAreReported_data()
    {
        QTest::addColumn<bool>("curl");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("timeMs");
        QTest::addColumn<QString>("msgStart");
        QTest::addColumn<bool>("valueIsNull");
        for (const bool curl : { true, false }) {
            const QString transport = curl ? QStringLiteral("curl") : QStringLiteral("qt");
            auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(
                    qPrintable(transport + QLatin1Char('/') + QLatin1String(name)));
            };
            row("error500") << curl << "error500" << 1 << 0 << kTimeMs << "HTTP 500" << false;
            row("nonjson") << curl << "nonjson" << 1 << 0 << kTimeMs << "reply is not a JSON object"
                           << true;
            // Both stacks resend a request whose connection dropped before any answer (Qt up
            // to three times); what is left is cleared afterwards.
            row("close") << curl << "close" << 5 << 0 << kTimeMs << "connection closed: " << true;
            row("slow") << curl << "slow" << 1 << 2000 << 500 << "timeout after 500 ms" << true;
        }
    }

    void serverFaultsAreReported()
    {
        QFETCH(QString, mode);
        QFETCH(int, count);
        QFETCH(int, delayMs);
        QFETCH(int, timeMs);
        QFETCH(QString, msgStart);
        QFETCH(bool, valueIsNull);

        QVERIFY(m_service.injectFaults(count, mode, delayMs));
        const Reply reply = exchange("POST", initUrl(), timeMs);
        QVERIFY(m_service.injectFaults(0, mode));
        QCOMPARE(reply.signalCount, 1);
        QVERIFY(!reply.ok);
        QVERIFY2(reply.msg.startsWith(msgStart), qPrintable(reply.msg));
        QCOMPARE(reply.value.isNull(), valueIsNull);
    }

    void untrustedCertificateFails_data()
    {
        QTest::addColumn<bool>("curl");
        addTransportRows();
    }

    void untrustedCertificateFails()
    {
        NetworkHelper::cleanup();
        qunsetenv("ZOV_EXTRA_CA_FILE");
        NetworkHelper::initialize();
        const Reply reply = exchange("POST", initUrl());
        m_service.applyClientEnvironment();
        NetworkHelper::cleanup();
        NetworkHelper::initialize();

        QCOMPARE(reply.signalCount, 1);
        QVERIFY(!reply.ok);
        QVERIFY2(reply.msg.startsWith(QLatin1String("TLS: ")), qPrintable(reply.msg));
    }

    void oneSignalPerRequest_data()
    {
        QTest::addColumn<bool>("curl");
        addTransportRows();
    }

    void oneSignalPerRequest()
    {
        const int helperCount = 5;
        std::vector<std::unique_ptr<NetworkHelper>> helpers;
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (int i = 0; i < helperCount; ++i) {
            helpers.push_back(std::make_unique<NetworkHelper>(nullptr, QString::number(i)));
            spies.push_back(
                std::make_unique<QSignalSpy>(helpers.back().get(), &NetworkHelper::httpFinished));
            helpers.back()->post(initUrl(), kInitBody, true, kTimeMs);
        }
        // One helper may carry several requests; each still gets its own answer.
        helpers.front()->post(initUrl(), kInitBody, true, kTimeMs);

        auto total = [&spies] {
            int sum = 0;
            for (const auto& spy : spies)
                sum += spy->count();
            return sum;
        };
        QTRY_COMPARE_WITH_TIMEOUT(total(), helperCount + 1, kWaitMs);
        // A duplicate would come right after the first answer.
        QTest::qWait(300);
        QCOMPARE(spies.front()->count(), 2);
        for (int i = 1; i < helperCount; ++i)
            QCOMPARE(spies.at(i)->count(), 1);
        for (const auto& spy : spies) {
            for (const QList<QVariant>& arguments : *spy) {
                QVERIFY2(arguments.at(0).toBool(), qPrintable(arguments.at(2).toString()));
                QVERIFY(arguments.at(1).toJsonValue().toObject().contains("data"));
            }
        }
    }

    void keptConnectionOutlastsATimeOut_data()
    {
        QTest::addColumn<bool>("curl");
        addTransportRows();
    }

    // More requests than the service once allowed on one connection share one, and a time-out
    // on it still ends its request with one answer and leaves the next request unharmed.
    void keptConnectionOutlastsATimeOut()
    {
        const QString url = m_service.apiBaseUrl().toString() + kKeptPath;
        const int connections = m_service.connectionCount(kKeptPath);
        for (int i = 0; i < 6; ++i) {
            const Reply reply = exchange("POST", url);
            QCOMPARE(reply.signalCount, 1);
            QVERIFY2(reply.ok, qPrintable(reply.msg));
        }
        QCOMPARE(m_service.connectionCount(kKeptPath), connections + 1);

        QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), 2000));
        const Reply late = exchange("POST", url, 500);
        QCOMPARE(late.signalCount, 1);
        QCOMPARE(late.msg, QStringLiteral("timeout after 500 ms"));
        const Reply next = exchange("POST", url);
        QCOMPARE(next.signalCount, 1);
        QVERIFY2(next.ok, qPrintable(next.msg));
    }

    void deletingTheHelperEarlyIsHarmless_data()
    {
        QTest::addColumn<bool>("curl");
        QTest::addColumn<bool>("replyQueued");
        QTest::newRow("curl/in flight") << true << false;
        QTest::newRow("curl/reply queued") << true << true;
        QTest::newRow("qt/in flight") << false << false;
        QTest::newRow("qt/reply queued") << false << true;
    }

    void deletingTheHelperEarlyIsHarmless()
    {
        QFETCH(bool, replyQueued);
        const int slowMs = 1000;
        auto* helper = new NetworkHelper(nullptr, QStringLiteral("doomed"));
        if (replyQueued) {
            helper->post(initUrl(), kInitBody, false, kTimeMs);
            // Without an event loop the answer can only be queued for this thread.
            QThread::msleep(slowMs);
        } else {
            QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), slowMs));
            helper->post(initUrl(), kInitBody, false, kTimeMs);
            // The service holds its answer for slowMs; this is well inside that.
            QTest::qWait(slowMs / 3);
        }
        delete helper;
        QTest::qWait(slowMs + 300);

        const Reply reply = exchange("POST", initUrl());
        QVERIFY2(reply.ok, qPrintable(reply.msg));
    }

    void cleanupDropsRequestsInFlight_data()
    {
        QTest::addColumn<bool>("curl");
        addTransportRows();
    }

    void cleanupDropsRequestsInFlight()
    {
        const int slowMs = 1000;
        const int arrived = m_service.requestCount(kInitPath);
        QVERIFY(m_service.injectFaults(1, QStringLiteral("slow"), slowMs));
        NetworkHelper helper(nullptr, QStringLiteral("dropped"));
        QSignalSpy spy(&helper, &NetworkHelper::httpFinished);
        helper.post(initUrl(), kInitBody, false, kTimeMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_service.requestCount(kInitPath), arrived + 1, kWaitMs);

        NetworkHelper::cleanup();
        QTest::qWait(slowMs + 300);
        QCOMPARE(spy.count(), 0);

        // Requests still work after the clean-up, before and after the next initialize().
        Reply reply = exchange("POST", initUrl());
        QVERIFY2(reply.ok, qPrintable(reply.msg));
        NetworkHelper::initialize();
        reply = exchange("POST", initUrl());
        QVERIFY2(reply.ok, qPrintable(reply.msg));
    }

    void headersAndCookiesAreSent_data()
    {
        QTest::addColumn<bool>("curl");
        QTest::addColumn<QByteArray>("method");
        QTest::newRow("curl/POST") << true << QByteArray("POST");
        QTest::newRow("qt/GET") << false << QByteArray("GET");
    }

    void headersAndCookiesAreSent()
    {
        QFETCH(QByteArray, method);
        RecordingHttpServer server;
        QVERIFY(server.listen());
        NetworkHelper::addRawHeader("X-Zov-Probe", "first");
        NetworkHelper::addRawHeader("x-zov-probe", "second");
        NetworkHelper::setCookies("token=abc; uid=7");

        const Reply reply = exchange(method, server.url("/echo"));
        NetworkHelper::setCookies(QByteArray());

        QVERIFY2(reply.ok, qPrintable(reply.msg));
        QCOMPARE(server.requests().size(), 1);
        const RecordingHttpServer::Request& request = server.requests().first();
        QCOMPARE(request.method, method);
        QCOMPARE(request.path, QByteArray("/echo"));
        QCOMPARE(request.headers.value("x-zov-probe"), QByteArray("second"));
        QCOMPARE(request.headers.value("cookie"), QByteArray("token=abc; uid=7"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(request.body, method == "POST" ? kInitBody : QByteArray());
    }

    void redirectsAreLimited_data()
    {
        QTest::addColumn<bool>("curl");
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("ok");
        for (const bool curl : { true, false }) {
            const QString transport = curl ? QStringLiteral("curl") : QStringLiteral("qt");
            for (const int hops : { 5, 6 }) {
                QTest::newRow(qPrintable(QStringLiteral("%1/%2 hops").arg(transport).arg(hops)))
                    << curl << hops << (hops <= 5);
            }
        }
    }

    void redirectsAreLimited()
    {
        QFETCH(int, hops);
        QFETCH(bool, ok);
        RecordingHttpServer server;
        QVERIFY(server.listen());

        const Reply reply = exchange("POST", server.url(QStringLiteral("/hop/%1").arg(hops)));
        QCOMPARE(reply.signalCount, 1);
        QCOMPARE(reply.ok, ok);
        if (ok) {
            QCOMPARE(reply.value[QLatin1String("data")][QLatin1String("path")].toString(),
                QStringLiteral("/hop/0"));
        } else {
            QVERIFY2(
                reply.msg.startsWith(QLatin1String("too many redirects")), qPrintable(reply.msg));
            // Qt may resend a hop on a fresh connection; what counts is that the sixth
            // redirect was not followed.
            QSet<QByteArray> paths;
            for (const RecordingHttpServer::Request& request : server.requests())
                paths.insert(request.path);
            QCOMPARE(paths.size(), 6);
            QVERIFY(!paths.contains("/hop/0"));
        }
    }

private:
    QString initUrl() const { return m_service.apiBaseUrl().toString() + kInitPath; }

    LocalService m_service;
};

QTEST_GUILESS_MAIN(NetworkHelperTest)
#include "NetworkHelperTest.moc"
