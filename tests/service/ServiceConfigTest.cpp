#include "HttpExchange.h"
#include "LocalService.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSslCertificate>
#include <QSslCertificateExtension>
#include <QtTest>

namespace {

const QString configPath = QStringLiteral("/olbusiness/api/course/init");
const QByteArray configBody = QByteArrayLiteral("{\"type\":1}");

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isCertificateAuthority(const QSslCertificate& certificate)
{
    for (const QSslCertificateExtension& extension : certificate.extensions()) {
        if (extension.name() == QLatin1String("basicConstraints"))
            return extension.value().toMap().value("ca").toBool();
    }
    return false;
}

} // namespace

// What a client meets first: the certificate it must trust, the remote configuration
// reply and the pages that reply points at.
class ServiceConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_service.start()); }

    void certificateFitsTheService();
    void certificateKeptAcrossRestartsUnlessDamaged();
    void everyEntryPointsBack();

private:
    QJsonObject configData() const;

    LocalService m_service;
};

QJsonObject ServiceConfigTest::configData() const
{
    const HttpResult result = HttpExchange(m_service).postApi(configPath, configBody);
    const QJsonObject reply = QJsonDocument::fromJson(result.body).object();
    if (result.status != 200 || !result.contentType.startsWith("application/json")
        || reply.value("code").toInt(-1) != 0)
        return {};
    return reply.value("data").toObject();
}

// The file the service names is the one it serves, and clients can trust it for both
// the name and the address they use.
void ServiceConfigTest::certificateFitsTheService()
{
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(m_service.caFile());
    QCOMPARE(certificates.size(), 1);
    const QSslCertificate& certificate = certificates.first();
    QVERIFY(certificate.isSelfSigned());
    QVERIFY(isCertificateAuthority(certificate));
    QVERIFY(certificate.expiryDate() > QDateTime::currentDateTimeUtc().addYears(9));
    QVERIFY(certificate.effectiveDate() <= QDateTime::currentDateTimeUtc());
    const auto names = certificate.subjectAlternativeNames();
    QVERIFY(names.values(QSsl::DnsEntry).contains("localhost"));
    QVERIFY(names.values(QSsl::IpAddressEntry).contains("127.0.0.1"));

    QUrl url = m_service.apiBaseUrl();
    url.setPath(configPath);
    QNetworkRequest request(url);
    request.setSslConfiguration(m_service.sslConfiguration());
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.post(request, configBody);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(15000));
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->sslConfiguration().peerCertificate(), certificate);

    const HttpExchange untrusting(m_service, false);
    QCOMPARE(
        untrusting.postApi(configPath, configBody).error, QNetworkReply::SslHandshakeFailedError);
}

void ServiceConfigTest::certificateKeptAcrossRestartsUnlessDamaged()
{
    const QString path = m_service.caFile();
    const QByteArray first = fileContent(path);
    QVERIFY(!first.isEmpty());
    QVERIFY(path.startsWith(m_service.stateFolder()));

    m_service.stop();
    QVERIFY(m_service.start());
    QCOMPARE(m_service.caFile(), path);
    QCOMPARE(fileContent(path), first);
    QVERIFY(!configData().isEmpty());

    m_service.stop();
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("-----BEGIN CERTIFICATE-----\nnot a certificate\n");
    damaged.close();
    QVERIFY(m_service.start());
    const QByteArray renewed = fileContent(m_service.caFile());
    QVERIFY(renewed != first);
    QCOMPARE(QSslCertificate::fromData(renewed).size(), 1);
    QVERIFY(!configData().isEmpty());
}

// Pages on the plain port, APIs on the HTTPS one, each name once; the pages the client
// tests load are served.
void ServiceConfigTest::everyEntryPointsBack()
{
    const QMap<QString, QString> served { { "loginUrl", "<title>Zov1对1 学生登录</title>" },
        { "useragreementUrl", "用户协议" }, { "privacyagreementUrl", "隐私政策" } };
    const QJsonObject data = configData();
    QCOMPARE(data.value("host").toString(), m_service.apiHostPort());
    int pages = 0;
    for (const QString list : { "h5UrlList", "rdUrlList" }) {
        const QUrl base
            = list == QLatin1String("h5UrlList") ? m_service.webBaseUrl() : m_service.apiBaseUrl();
        QSet<QString> names;
        for (const QJsonValue& value : data.value(list).toArray()) {
            const QString name = value.toObject().value("name").toString();
            QVERIFY2(!names.contains(name), qPrintable(name));
            names.insert(name);
            const QUrl url(value.toObject().value("url").toString());
            QCOMPARE(url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery), base);
            QVERIFY(url.path().length() > 1);
            if (!served.contains(name))
                continue;
            const HttpResult page = HttpExchange(m_service).get(url);
            QCOMPARE(page.status, 200);
            QCOMPARE(page.contentType, QByteArray("text/html; charset=utf-8"));
            QVERIFY2(QString::fromUtf8(page.body).contains(served.value(name)), qPrintable(name));
            ++pages;
        }
        QVERIFY(names.size() >= 7);
    }
    QCOMPARE(pages, served.size());
}

QTEST_GUILESS_MAIN(ServiceConfigTest)
#include "ServiceConfigTest.moc"
