#include "HttpExchange.h"
#include "LocalService.h"

#include <QDateTime>
#include <QFile>
#include <QHostAddress>
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

QVariant extensionValue(const QSslCertificate& certificate, const QString& name)
{
    for (const QSslCertificateExtension& extension : certificate.extensions()) {
        if (extension.name() == name)
            return extension.value();
    }
    return {};
}

} // namespace

// The service's own certificate: what clients need of it, and that it survives restarts.
class ServiceCertificateTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void certificateFitsTheService();
    void serviceShowsTheCertificateFile();
    void untrustedWithoutTheCertificate();
    void reusedAcrossRestarts();
    void replacedWhenDamaged();

private:
    LocalService m_service;
};

void ServiceCertificateTest::init()
{
    QVERIFY(m_service.start());
}

void ServiceCertificateTest::certificateFitsTheService()
{
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(m_service.caFile());
    QCOMPARE(certificates.size(), 1);
    const QSslCertificate& certificate = certificates.first();
    QVERIFY(certificate.isSelfSigned());
    QVERIFY(certificate.expiryDate() > QDateTime::currentDateTimeUtc().addYears(9));
    QVERIFY(certificate.effectiveDate() <= QDateTime::currentDateTimeUtc());

    const auto names = certificate.subjectAlternativeNames();
    QVERIFY(names.values(QSsl::DnsEntry).contains(QStringLiteral("localhost")));
    QVERIFY(names.values(QSsl::IpAddressEntry).contains(QStringLiteral("127.0.0.1")));

    const QVariantMap constraints
        = extensionValue(certificate, QStringLiteral("basicConstraints")).toMap();
    QCOMPARE(constraints.value(QStringLiteral("ca")).toBool(), true);
}

void ServiceCertificateTest::serviceShowsTheCertificateFile()
{
    QUrl url = m_service.apiBaseUrl();
    url.setPath(configPath);
    QNetworkRequest request(url);
    request.setSslConfiguration(m_service.sslConfiguration());
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.post(request, configBody);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(15000));
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->sslConfiguration().peerCertificate(),
        QSslCertificate::fromPath(m_service.caFile()).value(0));
}

void ServiceCertificateTest::untrustedWithoutTheCertificate()
{
    const HttpExchange untrusting(m_service, false);
    QCOMPARE(
        untrusting.postApi(configPath, configBody).error, QNetworkReply::SslHandshakeFailedError);
}

void ServiceCertificateTest::reusedAcrossRestarts()
{
    const QString firstPath = m_service.caFile();
    const QByteArray first = fileContent(firstPath);
    QVERIFY(!first.isEmpty());
    QVERIFY(QFileInfo(firstPath).isAbsolute());
    QVERIFY(firstPath.startsWith(m_service.stateFolder()));

    m_service.stop();
    QVERIFY(m_service.start());
    QCOMPARE(m_service.caFile(), firstPath);
    QCOMPARE(fileContent(m_service.caFile()), first);
    QCOMPARE(HttpExchange(m_service).postApi(configPath, configBody).status, 200);
}

void ServiceCertificateTest::replacedWhenDamaged()
{
    const QString path = m_service.caFile();
    const QByteArray original = fileContent(path);
    m_service.stop();
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("-----BEGIN CERTIFICATE-----\nnot a certificate\n");
    damaged.close();

    QVERIFY(m_service.start());
    const QByteArray renewed = fileContent(m_service.caFile());
    QVERIFY(renewed != original);
    QCOMPARE(QSslCertificate::fromData(renewed).size(), 1);
    QCOMPARE(HttpExchange(m_service).postApi(configPath, configBody).status, 200);
}

QTEST_GUILESS_MAIN(ServiceCertificateTest)
#include "ServiceCertificateTest.moc"
