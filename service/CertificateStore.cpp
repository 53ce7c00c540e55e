#include "service/CertificateStore.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>

namespace zovservice {

namespace {

namespace fs = std::filesystem;

constexpr long validDays = 3653;
constexpr int serialBits = 127;

template<typename T, void (*Free)(T*)> struct OpenSslDeleter
{
    void operator()(T* pointer) const { Free(pointer); }
};

using KeyPointer = std::unique_ptr<EVP_PKEY, OpenSslDeleter<EVP_PKEY, EVP_PKEY_free>>;
using CertificatePointer = std::unique_ptr<X509, OpenSslDeleter<X509, X509_free>>;
using BioPointer = std::unique_ptr<BIO, OpenSslDeleter<BIO, BIO_free_all>>;
using BignumPointer = std::unique_ptr<BIGNUM, OpenSslDeleter<BIGNUM, BN_free>>;
using ExtensionPointer
    = std::unique_ptr<X509_EXTENSION, OpenSslDeleter<X509_EXTENSION, X509_EXTENSION_free>>;

CertificatePointer readCertificate(const std::string& file)
{
    BioPointer bio(BIO_new_file(file.c_str(), "r"));
    return CertificatePointer(
        bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

KeyPointer readKey(const std::string& file)
{
    BioPointer bio(BIO_new_file(file.c_str(), "r"));
    return KeyPointer(
        bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

bool setRandomSerial(X509* certificate)
{
    BignumPointer serial(BN_new());
    return serial && BN_rand(serial.get(), serialBits, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1
        && BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate)) != nullptr;
}

bool setName(X509* certificate)
{
    X509_NAME* name = X509_get_subject_name(certificate);
    const auto add = [name](const char* field, const char* value) {
        return X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                   reinterpret_cast<const unsigned char*>(value), -1, -1, 0)
            == 1;
    };
    return add("O", "Zov local service") && add("CN", "Zov local service CA")
        && X509_set_issuer_name(certificate, name) == 1;
}

bool addExtension(X509* certificate, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    ExtensionPointer extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

bool addExtensions(X509* certificate)
{
    return addExtension(certificate, NID_basic_constraints, "critical,CA:TRUE")
        && addExtension(certificate, NID_key_usage,
            "critical,digitalSignature,keyEncipherment,keyCertSign,cRLSign")
        && addExtension(certificate, NID_ext_key_usage, "serverAuth")
        && addExtension(certificate, NID_subject_key_identifier, "hash")
        && addExtension(certificate, NID_authority_key_identifier, "keyid:always")
        && addExtension(certificate, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
}

CertificatePointer makeCertificate(EVP_PKEY* key)
{
    CertificatePointer certificate(X509_new());
    // A day of slack before now keeps clients with a slightly late clock happy.
    const bool ok = certificate && X509_set_version(certificate.get(), 2) == 1
        && setRandomSerial(certificate.get())
        && X509_time_adj_ex(X509_getm_notBefore(certificate.get()), -1, 0, nullptr)
        && X509_time_adj_ex(X509_getm_notAfter(certificate.get()), validDays, 0, nullptr)
        && setName(certificate.get()) && X509_set_pubkey(certificate.get(), key) == 1
        && addExtensions(certificate.get()) && X509_sign(certificate.get(), key, EVP_sha256()) > 0;
    return ok ? std::move(certificate) : nullptr;
}

// Written beside the target and renamed over it, so that a reader never sees half a file.
bool writePem(const std::string& file, const std::function<int(BIO*)>& write, bool secret)
{
    const std::string partial = file + ".partial";
    {
        BioPointer bio(BIO_new_file(partial.c_str(), "w"));
        if (!bio || write(bio.get()) != 1)
            return false;
    }
    std::error_code error;
    if (secret)
        fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write,
            fs::perm_options::replace, error);
    fs::rename(partial, file, error);
    return !error;
}

} // namespace

CertificateStore::CertificateStore(const std::string& stateFolder)
    : m_stateFolder(stateFolder)
{ }

bool CertificateStore::ensure(std::string& error)
{
    std::error_code fsError;
    fs::create_directories(m_stateFolder, fsError);
    const fs::path folder = fs::absolute(m_stateFolder, fsError);
    if (fsError || !fs::is_directory(folder)) {
        error = "cannot use the state folder " + m_stateFolder;
        return false;
    }
    m_certificateFile = (folder / "local-service-ca.pem").string();
    m_keyFile = (folder / "local-service-key.pem").string();
    return isUsable() || create(error);
}

bool CertificateStore::isUsable() const
{
    const CertificatePointer certificate = readCertificate(m_certificateFile);
    const KeyPointer key = readKey(m_keyFile);
    return certificate && key && X509_check_private_key(certificate.get(), key.get()) == 1
        && X509_cmp_current_time(X509_get0_notAfter(certificate.get())) > 0;
}

bool CertificateStore::create(std::string& error) const
{
    const KeyPointer key(EVP_EC_gen("P-256"));
    const CertificatePointer certificate = key ? makeCertificate(key.get()) : nullptr;
    if (!certificate) {
        error = "cannot make a certificate";
        return false;
    }
    const bool written = writePem(
                             m_keyFile,
                             [&key](BIO* bio) {
                                 return PEM_write_bio_PrivateKey(
                                     bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
                             },
                             true)
        && writePem(
            m_certificateFile,
            [&certificate](BIO* bio) { return PEM_write_bio_X509(bio, certificate.get()); }, false);
    if (!written)
        error = "cannot write the certificate into " + m_stateFolder;
    return written;
}

} // namespace zovservice
