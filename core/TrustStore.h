#pragma once

#include <QMutex>
#include <QSslConfiguration>

#include <memory>
#include <optional>

namespace zov {
namespace network {

class CurlCaStore;

// The certificate authorities every transfer trusts: the system's plus the PEM file
// named by ZOV_EXTRA_CA_FILE. Qt picks them up through its default TLS configuration,
// libcurl through a CA store handed to each transfer.
class TrustStore
{
public:
    static TrustStore& instance();

    // Reads ZOV_EXTRA_CA_FILE and applies it, unless that has been done since reset().
    void ensureLoaded();
    // Forgets the extra authorities; the next ensureLoaded reads the variable again.
    void reset();

    // libcurl's own authorities plus the extra file, or null when libcurl's default will do.
    std::shared_ptr<const CurlCaStore> curlCaStore();

private:
    TrustStore() = default;

    void reloadLocked();
    void trustExtraFile(const QString& path);
    void rememberQtDefaults();

    QMutex m_mutex;
    bool m_loaded = false;
    // Only once a transfer needs it: even an empty configuration sets up the TLS library,
    // which the tracking process, sharing the start-up, never uses.
    std::optional<QSslConfiguration> m_qtDefaults;
    std::shared_ptr<const CurlCaStore> m_curlCaStore;
};

} // namespace network
} // namespace zov
