#pragma once

#include "core/HttpRequest.h"
#include "core/HttpResponse.h"

#include <curl/curl.h>

#include <memory>

namespace zov {
namespace network {

class CurlCaStore;

// One libcurl easy handle set up for one request, with the buffers it writes into.
// Created and driven on the requesting thread.
class CurlTransfer
{
public:
    // A null caStore leaves libcurl's own authorities.
    CurlTransfer(const HttpRequest& request, std::shared_ptr<const CurlCaStore> caStore);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    CURL* handle() const { return m_easy; }
    HttpResponse response(CURLcode code) const;

private:
    void setMethod(const HttpRequest& request);
    void setHeaders(const HttpRequest& request);
    void setTrust(std::shared_ptr<const CurlCaStore> caStore);
    QString describeFailure(CURLcode code) const;
    static size_t onData(char* data, size_t size, size_t count, void* self);

    CURL* m_easy = nullptr;
    curl_slist* m_headers = nullptr;
    std::shared_ptr<const CurlCaStore> m_caStore;
    QByteArray m_received;
    int m_timeMs = 0;
    char m_error[CURL_ERROR_SIZE] = {};
};

} // namespace network
} // namespace zov
