#include "core/NetworkHelper.h"
#include "LocalService.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using zov::network::NetworkHelper;

namespace {

const QString kInitPath = QStringLiteral("/olbusiness/api/course/init");
const QString kVersionPath = QStringLiteral("/olbusiness/api/version");
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

Reply exchange(const QByteArray& method, const QString& url, int timeMs = kTimeMs)
{
    NetworkHelper helper(nullptr, QStringLiteral("test"));
    QSignalSpy spy(&helper, &NetworkHelper::httpFinished);
    if (method == "GET")
        helper.get(url, timeMs);
    else
        helper.post(url, kInitBody, false, timeMs);
    spy.wait(kWaitMs);
    Reply reply;
    reply.signalCount = spy.count();
    if (!spy.isEmpty()) {
        reply.ok = spy.first().at(0).toBool();
        reply.value = spy.first().at(1).toJsonValue();
        reply.msg = spy.first().at(2).toString();
    }
    return reply;
}

void addTransportRows()
{
    QTest::newRow("curl") << true;
    QTest::newRow("qt") << false;
}

} // namespace

// Both transports against the real local service over TLS.
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

    void failuresAreReported_data()
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
            // Without the service's authority the certificate is not trusted.
            row("untrusted") << curl << "untrusted" << 0 << 0 << kTimeMs << "TLS: " << true;
        }
    }

    void failuresAreReported()
    {
        QFETCH(QString, mode);
        QFETCH(int, count);
        QFETCH(int, delayMs);
        QFETCH(int, timeMs);
        QFETCH(QString, msgStart);

        const bool untrusted = mode == QLatin1String("untrusted");
        if (untrusted)
            trustTheService(false);
        else
            QVERIFY(m_service.injectFaults(count, mode, delayMs));
        const Reply reply = exchange("POST", initUrl(), timeMs);
        if (untrusted)
            trustTheService(true);
        else
            QVERIFY(m_service.injectFaults(0, mode));
        QCOMPARE(reply.signalCount, 1);
        QVERIFY(!reply.ok);
        QVERIFY2(reply.msg.startsWith(msgStart), qPrintable(reply.msg));
        QTEST(reply.value.isNull(), "valueIsNull");
        // Connections the transport keeps do not carry the failure over to the next request.
        const Reply next = exchange("POST", initUrl());
        QCOMPARE(next.signalCount, 1);
        QVERIFY2(next.ok, qPrintable(next.msg));
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

    // A request whose helper goes, or whose transports are cleaned up, while it is on the way
    // or its answer is queued, ends quietly; the next request works.
    void abandonedRequestsEndQuietly_data()
    {
        QTest::addColumn<bool>("curl");
        QTest::addColumn<QString>("how");
        for (const bool curl : { true, false }) {
            for (const char* how : { "deleted in flight", "deleted, reply queued", "cleanup" }) {
                QTest::addRow("%s/%s", curl ? "curl" : "qt", how) << curl << how;
            }
        }
    }

    void abandonedRequestsEndQuietly()
    {
        QFETCH(QString, how);
        const int slowMs = 1000;
        const bool queued = how == QLatin1String("deleted, reply queued");
        const bool cleanup = how == QLatin1String("cleanup");
        auto helper = std::make_unique<NetworkHelper>(nullptr, QStringLiteral("abandoned"));
        QSignalSpy spy(helper.get(), &NetworkHelper::httpFinished);
        const int arrived = m_service.requestCount(kInitPath);
        QVERIFY(queued || m_service.injectFaults(1, QStringLiteral("slow"), slowMs));
        helper->post(initUrl(), kInitBody, false, kTimeMs);
        // Without an event loop the answer can only be queued for this thread.
        if (queued)
            QThread::msleep(slowMs);
        else
            QTRY_COMPARE_WITH_TIMEOUT(m_service.requestCount(kInitPath), arrived + 1, kWaitMs);
        if (cleanup)
            NetworkHelper::cleanup();
        else
            helper.reset();
        QTest::qWait(slowMs + 300);
        QCOMPARE(spy.count(), 0);

        // Requests still work after a clean-up, before and after the next initialize().
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
        QTest::addColumn<QString>("path");
        QTest::newRow("curl/POST") << true << QByteArray("POST") << kInitPath;
        QTest::newRow("qt/GET") << false << QByteArray("GET") << kVersionPath;
    }

    void headersAndCookiesAreSent()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        NetworkHelper::addRawHeader("X-Zov-Probe", "first");
        NetworkHelper::addRawHeader("x-zov-probe", "second");
        NetworkHelper::setCookies("token=abc; uid=7");

        const Reply reply = exchange(method, m_service.apiBaseUrl().toString() + path);
        NetworkHelper::setCookies(QByteArray());

        QVERIFY2(reply.ok, qPrintable(reply.msg));
        const QJsonObject request = m_service.lastRequest(path);
        QCOMPARE(request.value("method").toString().toLatin1(), method);
        // Names as sent: a header added twice under two spellings must go out once.
        QJsonObject headers;
        const QJsonObject sent = request.value("headers").toObject();
        for (auto it = sent.begin(); it != sent.end(); ++it) {
            QVERIFY2(!headers.contains(it.key().toLower()), qPrintable(it.key()));
            headers.insert(it.key().toLower(), it.value());
        }
        QCOMPARE(headers.value("x-zov-probe").toString(), QStringLiteral("second"));
        QCOMPARE(headers.value("cookie").toString(), QStringLiteral("token=abc; uid=7"));
        QCOMPARE(headers.value("content-type").toString(), QStringLiteral("application/json"));
        QCOMPARE(request.value("body").toString().toUtf8(), method == "POST" ? kInitBody : "");
    }

    void redirectsAreFollowed_data()
    {
        QTest::addColumn<bool>("curl");
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("toPlainHttp");
        QTest::addColumn<QString>("msgStart");
        for (const bool curl : { true, false }) {
            const char* transport = curl ? "curl" : "qt";
            QTest::addRow("%s/one", transport) << curl << 1 << false << "";
            QTest::addRow("%s/five", transport) << curl << 5 << false << "";
            QTest::addRow("%s/six", transport) << curl << 6 << false << "too many redirects: ";
            QTest::addRow("%s/https to http", transport) << curl << 1 << true << "network error: ";
        }
    }

    // A post sent on by 302 becomes a fetch of the new address.
    void redirectsAreFollowed()
    {
        QFETCH(int, hops);
        QFETCH(bool, toPlainHttp);
        QFETCH(QString, msgStart);
        const QUrl base = toPlainHttp ? m_service.webBaseUrl() : m_service.apiBaseUrl();
        const QString url = QStringLiteral("%1/redirect/%2?to=%3")
                                .arg(m_service.apiBaseUrl().toString())
                                .arg(hops - 1)
                                .arg(QString::fromLatin1(
                                    QUrl::toPercentEncoding(base.toString() + kVersionPath)));
        const Reply reply = exchange("POST", url);
        QCOMPARE(reply.signalCount, 1);
        QVERIFY2(reply.ok == msgStart.isEmpty()
                && reply.msg.startsWith(msgStart, Qt::CaseSensitive) == !msgStart.isEmpty(),
            qPrintable(reply.msg));
    }

private:
    QString initUrl() const { return m_service.apiBaseUrl().toString() + kInitPath; }

    // Transports keep connections and TLS sessions: only a fresh start checks the
    // certificate again.
    void trustTheService(bool trusted)
    {
        NetworkHelper::cleanup();
        if (trusted)
            m_service.applyClientEnvironment();
        else
            qunsetenv("ZOV_EXTRA_CA_FILE");
        NetworkHelper::initialize();
    }

    LocalService m_service;
};

QTEST_GUILESS_MAIN(NetworkHelperTest)
#include "NetworkHelperTest.moc"
