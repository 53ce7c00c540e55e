#pragma once

#include <QByteArray>
#include <QMutex>
#include <QSslConfiguration>

namespace zov {
namespace network {

// The certificate authorities every transfer trusts: the system's plus the PEM file
// named by ZOV_EXTRA_CA_FILE. Qt picks them up through its default TLS configuration,
// libcurl through a CA bundle handed to each transfer.
class TrustStore
{
public:
    static TrustStore& instance();

    // Reads ZOV_EXTRA_CA_FILE now and applies it.
    void reload();
    void ensureLoaded();
    // Forgets the extra authorities; the next ensureLoaded reads the variable again.
    void reset();

    // System bundle plus the extra file, or empty when libcurl's default will do.
    QByteArray curlCaBundle();

private:
    TrustStore() = default;

    void reloadLocked();
    void rememberQtDefaults();

    QMutex m_mutex;
    bool m_loaded = false;
    bool m_haveQtDefaults = false;
    QSslConfiguration m_qtDefaults;
    QByteArray m_curlBundle;
};

} // namespace network
} // namespace zov
