// Prints the requests per second of sequential small JSON POSTs over HTTPS to the local
// service through NetworkHelper, with the curl and with the Qt transport, next to a minimal
// libcurl loop (one easy handle reused) that trusts the same authorities: the system's and
// the service's. The three alternate within each round; the figures are medians of the rounds.
#include "LocalService.h"

#include "core/NetworkHelper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using zov::network::NetworkHelper;

namespace {

constexpr int kRequests = 500;
constexpr int kRounds = 11;
constexpr int kTimeMs = 5000;
const QByteArray kBody = "{\"cpuType\":\"Intel Core i5-8250U\",\"memory\":\"8GB\"}";
const char* const kPath = "/olbusiness/api/device/score";
const char* const kSystemBundle = "/etc/ssl/certs/ca-certificates.crt";

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double perSecond(const QElapsedTimer& timer)
{
    return kRequests * 1e9 / double(timer.nsecsElapsed());
}

// Each request is sent once the previous one has answered.
double helperRate(const QString& url, bool useCurl, int& failures)
{
    NetworkHelper::useCurlNetwork(useCurl);
    QEventLoop loop;
    int answered = 0;
    std::function<void()> postNext = [&] {
        auto* helper = new NetworkHelper(nullptr, QString());
        QObject::connect(helper, &NetworkHelper::httpFinished, &loop, [&, helper](bool ok) {
            helper->deleteLater();
            failures += ok ? 0 : 1;
            if (++answered == kRequests)
                loop.quit();
            else
                postNext();
        });
        helper->post(url, kBody, false, kTimeMs);
    };
    QElapsedTimer timer;
    timer.start();
    postNext();
    loop.exec();
    return perSecond(timer);
}

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// The anchor: what libcurl does on its own, one easy handle kept for every request.
class CurlLoop
{
public:
    CurlLoop(const QString& url, const QString& caFile)
        : m_easy(curl_easy_init())
        , m_headers(curl_slist_append(nullptr, "Content-Type: application/json"))
    {
        curl_easy_setopt(m_easy, CURLOPT_URL, url.toUtf8().constData());
        curl_easy_setopt(m_easy, CURLOPT_CAINFO, caFile.toUtf8().constData());
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(m_easy, CURLOPT_POSTFIELDSIZE, long(kBody.size()));
        curl_easy_setopt(m_easy, CURLOPT_POSTFIELDS, kBody.constData());
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &discard);
    }
    ~CurlLoop()
    {
        curl_easy_cleanup(m_easy);
        curl_slist_free_all(m_headers);
    }
    CurlLoop(const CurlLoop&) = delete;
    CurlLoop& operator=(const CurlLoop&) = delete;

    double rate(int& failures)
    {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kRequests; ++i) {
            long status = 0;
            if (curl_easy_perform(m_easy) == CURLE_OK)
                curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
            failures += status == 200 ? 0 : 1;
        }
        return perSecond(timer);
    }

private:
    CURL* m_easy;
    curl_slist* m_headers;
};

// The system bundle plus the service's certificate, as one CA file for the anchor.
bool writeTrustFile(const QString& path, const QString& serviceCa)
{
    QFile system(QString::fromLatin1(kSystemBundle));
    QFile service(serviceCa);
    QFile combined(path);
    if (!system.open(QIODevice::ReadOnly) || !service.open(QIODevice::ReadOnly)
        || !combined.open(QIODevice::WriteOnly))
        return false;
    combined.write(system.readAll() + '\n' + service.readAll());
    return true;
}

void printRate(const char* name, double rate, double anchor)
{
    std::printf("  %-28s %7.0f req/s   ratio %.2f\n", name, rate, rate / anchor);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    LocalService service;
    QTemporaryDir folder;
    const QString trustFile = folder.filePath(QStringLiteral("trust.pem"));
    if (!folder.isValid() || !service.start() || !writeTrustFile(trustFile, service.caFile())) {
        std::fprintf(stderr, "the local service did not start\n");
        return 1;
    }
    service.applyClientEnvironment();
    NetworkHelper::addRawHeader("Content-Type", "application/json");
    NetworkHelper::initialize();
    curl_global_init(CURL_GLOBAL_DEFAULT);

    const QString url = service.apiBaseUrl().toString() + QLatin1String(kPath);
    CurlLoop anchor(url, trustFile);
    std::vector<double> anchorRates, curlRates, qtRates;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        anchorRates.push_back(anchor.rate(failures));
        curlRates.push_back(helperRate(url, true, failures));
        anchorRates.push_back(anchor.rate(failures));
        qtRates.push_back(helperRate(url, false, failures));
    }

    const double anchorRate = median(anchorRates);
    std::printf("%d sequential JSON POSTs over HTTPS to the local service, medians of %d rounds\n",
        kRequests, kRounds);
    std::printf("  %-28s %7.0f req/s\n", "libcurl loop (anchor)", anchorRate);
    printRate("NetworkHelper, curl", median(curlRates), anchorRate);
    printRate("NetworkHelper, QtNetwork", median(qtRates), anchorRate);
    std::printf("  failed requests: %d\n", failures);

    NetworkHelper::cleanup();
    curl_global_cleanup();
    return failures == 0 ? 0 : 1;
}
