#pragma once

#include <QByteArray>

#include <curl/curl.h>
#include <openssl/types.h>

#include <mutex>
#include <vector>

namespace zov {
namespace network {

// What libcurl verifies servers against when extra authorities are trusted: libcurl's own
// CA folder (or its file where there is no folder), plus the extra certificates. Built once,
// on the first TLS connection, and shared by every connection after it, so that no
// connection parses the system bundle again.
class CurlCaStore
{
public:
    // Takes every certificate of pem; see isEmpty().
    explicit CurlCaStore(const QByteArray& pem);
    ~CurlCaStore();
    CurlCaStore(const CurlCaStore&) = delete;
    CurlCaStore& operator=(const CurlCaStore&) = delete;

    // True when pem held no certificate.
    bool isEmpty() const { return m_extra.empty(); }

    // Points a transfer that trusts no extra authority at libcurl's own ones, in the form
    // that is quickest to load.
    static void useSystemDefaults(CURL* easy);

    // For CURLOPT_SSL_CTX_FUNCTION, with the store as its data: puts the store into the TLS
    // context of a new connection.
    static CURLcode install(CURL* easy, void* sslContext, void* store);

private:
    X509_STORE* store() const;
    void build() const;

    std::vector<X509*> m_extra;
    mutable std::once_flag m_built;
    mutable X509_STORE* m_store = nullptr;
};

} // namespace network
} // namespace zov
