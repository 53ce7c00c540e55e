#include "LocalService.h"

#include "TestFiles.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QUrlQuery>

namespace {

constexpr int startTimeoutMs = 20000;
// Making the lesson video takes half a minute on a slow machine, or longer when another
// test's service makes it at the same time.
constexpr int videoStartTimeoutMs = 300000;
constexpr int controlTimeoutMs = 10000;
constexpr int stopTimeoutMs = 10000;

int portOf(const QString& url)
{
    return QUrl(url).port();
}

QUrlQuery pathQuery(const QString& path)
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("path"), path);
    return query;
}

} // namespace

LocalService::LocalService()
    : m_process(zov::platform::ChildProcess::Lifetime::EndsWithUs)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

LocalService::~LocalService()
{
    stop();
}

bool LocalService::start(const QStringList& extraArguments)
{
    stop();
    if (!m_state.isValid())
        return false;
    QStringList arguments { QStringLiteral("--https-port"), QStringLiteral("0"),
        QStringLiteral("--http-port"), QStringLiteral("0"), QStringLiteral("--state"),
        m_state.path(), QStringLiteral("--media"), mediaFolder() };
    arguments += extraArguments;
    const bool videoMade = QFile::exists(mediaFolder() + QStringLiteral("/lesson.mp4"));
    m_process.start(QStringLiteral(ZOV_SERVICE_EXECUTABLE), arguments);
    if (!m_process.waitForStarted(startTimeoutMs))
        return false;
    if (readAnnouncement(videoMade ? startTimeoutMs : videoStartTimeoutMs))
        return true;
    stop();
    return false;
}

QString LocalService::mediaFolder()
{
    return QStringLiteral(ZOV_BUILD_DIR "/service-media");
}

bool LocalService::readAnnouncement(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        while (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
            if (line == QLatin1String("READY"))
                return m_httpsPort > 0 && m_httpPort > 0 && !m_caFile.isEmpty()
                    && !m_videoFile.isEmpty();
            takeAnnouncedValue(line);
        }
        if (m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    }
    return false;
}

void LocalService::takeAnnouncedValue(const QString& line)
{
    const QString value = line.section(QLatin1Char(' '), 1);
    if (line.startsWith(QLatin1String("API ")))
        m_httpsPort = portOf(value);
    else if (line.startsWith(QLatin1String("WEB ")))
        m_httpPort = portOf(value);
    else if (line.startsWith(QLatin1String("CA ")))
        m_caFile = value;
    else if (line.startsWith(QLatin1String("MEDIA ")))
        m_videoFile = value;
}

void LocalService::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(stopTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(stopTimeoutMs);
        }
    }
    m_httpsPort = 0;
    m_httpPort = 0;
    m_caFile.clear();
    m_videoFile.clear();
}

QString LocalService::apiHostPort() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(m_httpsPort);
}

QUrl LocalService::apiBaseUrl() const
{
    return QUrl(QStringLiteral("https://") + apiHostPort());
}

QUrl LocalService::webBaseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:") + QString::number(m_httpPort));
}

QString LocalService::caFile() const
{
    return m_caFile;
}

QString LocalService::stateFolder() const
{
    return m_state.path();
}

void LocalService::applyClientEnvironment(QProcessEnvironment& environment) const
{
    environment.insert(QStringLiteral("ZOV_API_HOST"), apiHostPort());
    environment.insert(QStringLiteral("ZOV_EXTRA_CA_FILE"), m_caFile);
}

void LocalService::applyClientEnvironment() const
{
    qputenv("ZOV_API_HOST", apiHostPort().toUtf8());
    qputenv("ZOV_EXTRA_CA_FILE", QFile::encodeName(m_caFile));
}

QSslConfiguration LocalService::sslConfiguration() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> authorities = configuration.caCertificates();
    authorities += QSslCertificate::fromPath(m_caFile);
    configuration.setCaCertificates(authorities);
    return configuration;
}

bool LocalService::injectFaults(int count, const QString& mode, int delayMs)
{
    return post(QStringLiteral("/control/faults"),
        { { QStringLiteral("count"), count }, { QStringLiteral("mode"), mode },
            { QStringLiteral("delayMs"), delayMs } });
}

int LocalService::requestCount(const QString& path)
{
    return stats(path).value(QStringLiteral("count")).toInt(-1);
}

QJsonObject LocalService::stats(const QString& path) const
{
    return control(QStringLiteral("/control/stats"), pathQuery(path), {});
}

QJsonObject LocalService::lastRequest(const QString& path)
{
    return control(QStringLiteral("/control/lastRequest"), pathQuery(path), {});
}

QJsonArray LocalService::uploads()
{
    return control(QStringLiteral("/control/uploads"), {}, {})
        .value(QStringLiteral("uploads"))
        .toArray();
}

bool LocalService::setDeviceScore(const QJsonValue& verdict, bool fail)
{
    QJsonObject request { { QStringLiteral("fail"), fail } };
    if (!verdict.isUndefined())
        request.insert(QStringLiteral("verdict"), verdict);
    return post(QStringLiteral("/control/deviceScore"), request);
}

bool LocalService::setVersionReply(const QJsonObject& answer)
{
    return post(QStringLiteral("/control/version"), answer);
}

QString LocalService::packagesFolder() const
{
    return m_state.path() + QStringLiteral("/packages");
}

QByteArray LocalService::servePackage(const QString& name, const QByteArray& content) const
{
    if (!testfiles::writeFile(packagesFolder() + QLatin1Char('/') + name, content))
        return {};
    return testfiles::md5Hex(content);
}

QUrl LocalService::packageUrl(const QString& name, bool slow) const
{
    QUrl url = webBaseUrl();
    url.setPath(QStringLiteral("/packages/") + name);
    if (slow)
        url.setQuery(QStringLiteral("slow=1"));
    return url;
}

QString LocalService::videoFile() const
{
    return m_videoFile;
}

QString LocalService::videoHostUrl(const QString& host) const
{
    return webBaseUrl().toString() + QStringLiteral("/videohost/") + host + QLatin1Char('/');
}

bool LocalService::setVideoFaults(int stallAfterBytes, int slowBytesPerSecond)
{
    return post(QStringLiteral("/control/video"),
        { { QStringLiteral("stallAfterBytes"), stallAfterBytes },
            { QStringLiteral("slowBytesPerSecond"), slowBytesPerSecond } });
}

bool LocalService::setReplayInfoError(const QString& error)
{
    return post(QStringLiteral("/control/replayInfo"),
        { { QStringLiteral("error"),
            error.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(error) } });
}

bool LocalService::setLoginPage(const QString& path)
{
    return post(QStringLiteral("/control/config"), { { QStringLiteral("loginPath"), path } });
}

bool LocalService::setReplayDataFaults(bool wrongMd5, bool failingUrl)
{
    return post(QStringLiteral("/control/replayData"),
        { { QStringLiteral("wrongMd5"), wrongMd5 }, { QStringLiteral("failingUrl"), failingUrl } });
}

bool LocalService::post(const QString& path, const QJsonObject& request) const
{
    return !control(path, {}, QJsonDocument(request).toJson(QJsonDocument::Compact)).isEmpty();
}

QJsonObject LocalService::control(
    const QString& path, const QUrlQuery& query, const QByteArray& postBody) const
{
    QUrl url = apiBaseUrl();
    url.setPath(path);
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setSslConfiguration(sslConfiguration());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(controlTimeoutMs);

    // The reply belongs to the manager and goes with it.
    QNetworkAccessManager manager;
    QNetworkReply* reply
        = postBody.isEmpty() ? manager.get(request) : manager.post(request, postBody);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (reply->error() != QNetworkReply::NoError)
        return {};
    return QJsonDocument::fromJson(reply->readAll()).object();
}
