#include "HttpExchange.h"
#include "LocalService.h"

#include <QDateTime>
#include <QFile>
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

// The service's own certificate: what clients need of it, and that it survives restarts.
class ServiceCertificateTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_service.start()); }

    void certificateFitsTheService();
    void keptAcrossRestartsUnlessDamaged();

private:
    LocalService m_service;
};

// The file the service names is the one it serves, and clients can trust it for both
// the name and the address they use.
void ServiceCertificateTest::certificateFitsTheService()
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

void ServiceCertificateTest::keptAcrossRestartsUnlessDamaged()
{
    const QString path = m_service.caFile();
    const QByteArray first = fileContent(path);
    QVERIFY(!first.isEmpty());
    QVERIFY(QFileInfo(path).isAbsolute());
    QVERIFY(path.startsWith(m_service.stateFolder()));

    m_service.stop();
    QVERIFY(m_service.start());
    QCOMPARE(m_service.caFile(), path);
    QCOMPARE(fileContent(path), first);
    QCOMPARE(HttpExchange(m_service).postApi(configPath, configBody).status, 200);

    m_service.stop();
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("-----BEGIN CERTIFICATE-----\nnot a certificate\n");
    damaged.close();
    QVERIFY(m_service.start());
    const QByteArray renewed = fileContent(m_service.caFile());
    QVERIFY(renewed != first);
    QCOMPARE(QSslCertificate::fromData(renewed).size(), 1);
    QCOMPARE(HttpExchange(m_service).postApi(configPath, configBody).status, 200);
}

QTEST_GUILESS_MAIN(ServiceCertificateTest)
#include "ServiceCertificateTest.moc"
