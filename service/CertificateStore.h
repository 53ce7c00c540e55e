#pragma once

#include <string>

namespace zovservice {

// The service's TLS identity, kept in its state folder: a self-signed certificate that
// is its own certificate authority, so that a client trusts the service by adding this
// one PEM file. Made on the first start and reused afterwards, so that a client set up
// once keeps trusting the service across restarts.
class CertificateStore
{
public:
    explicit CertificateStore(const std::string& stateFolder);

    // Loads the certificate and key, or makes new ones when they are missing or unusable.
    bool ensure(std::string& error);

    std::string certificateFile() const { return m_certificateFile; }
    std::string keyFile() const { return m_keyFile; }

private:
    bool isUsable() const;
    bool create(std::string& error) const;

    std::string m_stateFolder;
    std::string m_certificateFile;
    std::string m_keyFile;
};

} // namespace zovservice
