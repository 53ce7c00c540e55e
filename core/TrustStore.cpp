#include "core/TrustStore.h"

#include "core/DebugAids.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSslCertificate>

namespace zov {
namespace network {

namespace {

Q_LOGGING_CATEGORY(lcTrust, "zov.network.trust")

const char* const kExtraCaVariable = "ZOV_EXTRA_CA_FILE";
const char* const kSystemBundle = "/etc/ssl/certs/ca-certificates.crt";

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcTrust) << "cannot read CA file" << path << file.errorString();
        return {};
    }
    return file.readAll();
}

} // namespace

TrustStore& TrustStore::instance()
{
    static TrustStore store;
    return store;
}

void TrustStore::reload()
{
    QMutexLocker lock(&m_mutex);
    reloadLocked();
}

void TrustStore::ensureLoaded()
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded)
        reloadLocked();
}

void TrustStore::reset()
{
    QMutexLocker lock(&m_mutex);
    if (m_haveQtDefaults)
        QSslConfiguration::setDefaultConfiguration(m_qtDefaults);
    m_curlBundle.clear();
    m_loaded = false;
}

QByteArray TrustStore::curlCaBundle()
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded)
        reloadLocked();
    return m_curlBundle;
}

void TrustStore::reloadLocked()
{
    rememberQtDefaults();
    m_loaded = true;
    m_curlBundle.clear();
    QSslConfiguration::setDefaultConfiguration(m_qtDefaults);

    const QString extraFile
        = zov::debugAidsEnabled() ? qEnvironmentVariable(kExtraCaVariable) : QString();
    if (extraFile.isEmpty())
        return;
    const QByteArray extraPem = readFile(extraFile);
    const QList<QSslCertificate> extra = QSslCertificate::fromData(extraPem, QSsl::Pem);
    if (extra.isEmpty()) {
        qCWarning(lcTrust) << "no certificate in" << extraFile;
        return;
    }

    // Setting an explicit list switches off Qt's on-demand loading of the system
    // authorities, so the system list has to be part of it.
    QSslConfiguration configuration = m_qtDefaults;
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    QSslConfiguration::setDefaultConfiguration(configuration);

    m_curlBundle = readFile(QString::fromLatin1(kSystemBundle));
    m_curlBundle += '\n';
    m_curlBundle += extraPem;
}

void TrustStore::rememberQtDefaults()
{
    if (m_haveQtDefaults)
        return;
    m_qtDefaults = QSslConfiguration::defaultConfiguration();
    m_haveQtDefaults = true;
}

} // namespace network
} // namespace zov
