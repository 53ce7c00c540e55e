#include "core/CurlCaStore.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace zov {
namespace network {

namespace {

std::vector<X509*> parsePem(const QByteArray& pem)
{
    std::vector<X509*> certificates;
    BIO* bio = BIO_new_mem_buf(pem.constData(), pem.size());
    while (X509* certificate = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr))
        certificates.push_back(certificate);
    BIO_free(bio);
    // The end of the text is reported as an error; it must not stay behind for the next
    // TLS call of this thread to find.
    ERR_clear_error();
    return certificates;
}

struct CaLocations
{
    QByteArray file;
    QByteArray path;
};

// A fresh handle reports libcurl's built-in defaults, whatever a transfer has set.
CaLocations probeLibcurlDefaults()
{
    CaLocations defaults;
    CURL* probe = curl_easy_init();
    char* file = nullptr;
    char* path = nullptr;
    curl_easy_getinfo(probe, CURLINFO_CAINFO, &file);
    curl_easy_getinfo(probe, CURLINFO_CAPATH, &path);
    defaults.file = file;
    defaults.path = path;
    curl_easy_cleanup(probe);
    return defaults;
}

// A hashed folder is searched on demand, one certificate when a handshake needs it, while
// the bundle file is parsed whole before the first connection: some 40 ms on the start-up
// path. Where libcurl knows both, the system builds them from the same authorities.
CaLocations libcurlDefaults()
{
    static const CaLocations defaults = [] {
        CaLocations found = probeLibcurlDefaults();
        if (!found.path.isEmpty() && QFileInfo(QFile::decodeName(found.path)).isDir())
            found.file.clear();
        else
            found.path.clear();
        return found;
    }();
    return defaults;
}

void loadLibcurlDefaults(X509_STORE* store)
{
    const CaLocations defaults = libcurlDefaults();
    if (!defaults.file.isEmpty())
        X509_STORE_load_file(store, defaults.file.constData());
    if (!defaults.path.isEmpty())
        X509_STORE_load_path(store, defaults.path.constData());
    ERR_clear_error();
}

} // namespace

void CurlCaStore::useSystemDefaults(CURL* easy)
{
    if (libcurlDefaults().file.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, static_cast<const char*>(nullptr));
}

CurlCaStore::CurlCaStore(const QByteArray& pem)
    : m_extra(parsePem(pem))
{ }

CurlCaStore::~CurlCaStore()
{
    X509_STORE_free(m_store);
    for (X509* certificate : m_extra)
        X509_free(certificate);
}

CURLcode CurlCaStore::install(CURL*, void* sslContext, void* store)
{
    X509_STORE* shared = static_cast<const CurlCaStore*>(store)->store();
    // The context releases the store when it goes, so it gets a reference of its own.
    X509_STORE_up_ref(shared);
    SSL_CTX_set_cert_store(static_cast<SSL_CTX*>(sslContext), shared);
    return CURLE_OK;
}

X509_STORE* CurlCaStore::store() const
{
    std::call_once(m_built, [this] { build(); });
    return m_store;
}

void CurlCaStore::build() const
{
    m_store = X509_STORE_new();
    loadLibcurlDefaults(m_store);
    for (X509* certificate : m_extra)
        X509_STORE_add_cert(m_store, certificate);
}

} // namespace network
} // namespace zov
