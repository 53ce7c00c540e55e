#include "core/TrustStore.h"

#include "core/CurlCaStore.h"
#include "core/DebugAids.h"

#include <QFile>
#include <QLoggingCategory>

namespace zov {
namespace network {

namespace {

Q_LOGGING_CATEGORY(lcTrust, "zov.network.trust")

const char* const kExtraCaVariable = "ZOV_EXTRA_CA_FILE";

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

void TrustStore::ensureLoaded()
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded)
        reloadLocked();
}

void TrustStore::reset()
{
    QMutexLocker lock(&m_mutex);
    if (m_qtDefaults)
        QSslConfiguration::setDefaultConfiguration(*m_qtDefaults);
    m_curlCaStore.reset();
    m_loaded = false;
}

std::shared_ptr<const CurlCaStore> TrustStore::curlCaStore()
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded)
        reloadLocked();
    return m_curlCaStore;
}

void TrustStore::reloadLocked()
{
    rememberQtDefaults();
    m_loaded = true;
    m_curlCaStore.reset();
    QSslConfiguration::setDefaultConfiguration(*m_qtDefaults);

    const QString extraFile
        = zov::debugAidsEnabled() ? qEnvironmentVariable(kExtraCaVariable) : QString();
    if (!extraFile.isEmpty())
        trustExtraFile(extraFile);
}

void TrustStore::trustExtraFile(const QString& path)
{
    auto curlCaStore = std::make_shared<const CurlCaStore>(readFile(path));
    QSslConfiguration configuration = *m_qtDefaults;
    // Of the ways to add authorities, only this one leaves Qt loading the system's on
    // demand, one when a handshake needs it; a list set or added switches that off, and
    // then every connection would have to carry all of them.
    if (curlCaStore->isEmpty() || !configuration.addCaCertificates(path)) {
        qCWarning(lcTrust) << "no certificate in" << path;
        return;
    }
    QSslConfiguration::setDefaultConfiguration(configuration);
    m_curlCaStore = curlCaStore;
}

void TrustStore::rememberQtDefaults()
{
    if (!m_qtDefaults)
        m_qtDefaults = QSslConfiguration::defaultConfiguration();
}

} // namespace network
} // namespace zov
