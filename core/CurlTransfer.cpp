#include "core/CurlTransfer.h"

#include "core/CurlCaStore.h"

namespace zov {
namespace network {

namespace {

const long kMaxRedirects = 5;

bool isTlsFailure(CURLcode code)
{
    switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return true;
    default:
        return false;
    }
}

bool isConnectionClosed(CURLcode code)
{
    return code == CURLE_GOT_NOTHING || code == CURLE_RECV_ERROR || code == CURLE_SEND_ERROR
        || code == CURLE_PARTIAL_FILE;
}

} // namespace

CurlTransfer::CurlTransfer(const HttpRequest& request, std::shared_ptr<const CurlCaStore> caStore)
    : m_easy(curl_easy_init())
    , m_timeMs(request.timeMs)
{
    curl_easy_setopt(m_easy, CURLOPT_URL, request.url.toUtf8().constData());
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // A reply over TLS may not send the request on in the clear.
    const bool secure = request.url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive);
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    // Signals cannot be used for DNS time-outs in a multi-threaded program.
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    if (m_timeMs > 0)
        curl_easy_setopt(m_easy, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeMs));
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onData);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    setMethod(request);
    setHeaders(request);
    setTrust(std::move(caStore));
}

CurlTransfer::~CurlTransfer()
{
    curl_easy_cleanup(m_easy);
    curl_slist_free_all(m_headers);
}

HttpResponse CurlTransfer::response(CURLcode code) const
{
    HttpResponse response;
    if (code != CURLE_OK) {
        response.transferError = describeFailure(code);
        return response;
    }
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    response.body = m_received;
    return response;
}

void CurlTransfer::setMethod(const HttpRequest& request)
{
    if (request.method != "POST") {
        curl_easy_setopt(m_easy, CURLOPT_HTTPGET, 1L);
        return;
    }
    curl_easy_setopt(m_easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    curl_easy_setopt(m_easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
}

void CurlTransfer::setHeaders(const HttpRequest& request)
{
    for (const RawHeader& header : request.headers) {
        // "Name;" is libcurl's way to send a header with an empty value.
        const QByteArray line
            = header.second.isEmpty() ? header.first + ';' : header.first + ": " + header.second;
        m_headers = curl_slist_append(m_headers, line.constData());
    }
    if (!request.cookies.isEmpty())
        m_headers
            = curl_slist_append(m_headers, QByteArray("Cookie: " + request.cookies).constData());
    // The API answers at once; waiting for "100 Continue" would only add a round trip.
    m_headers = curl_slist_append(m_headers, "Expect:");
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
}

void CurlTransfer::setTrust(std::shared_ptr<const CurlCaStore> caStore)
{
    if (!caStore) {
        CurlCaStore::useSystemDefaults(m_easy);
        return;
    }
    m_caStore = std::move(caStore);
    curl_easy_setopt(m_easy, CURLOPT_SSL_CTX_DATA, m_caStore.get());
    if (curl_easy_setopt(m_easy, CURLOPT_SSL_CTX_FUNCTION, &CurlCaStore::install) != CURLE_OK)
        return;
    // The store already holds them; libcurl would load them again for every connection.
    curl_easy_setopt(m_easy, CURLOPT_CAINFO, static_cast<const char*>(nullptr));
    curl_easy_setopt(m_easy, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
}

QString CurlTransfer::describeFailure(CURLcode code) const
{
    const QString detail = QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(code));
    if (code == CURLE_OPERATION_TIMEDOUT)
        return QStringLiteral("timeout after %1 ms").arg(m_timeMs);
    if (isTlsFailure(code))
        return QStringLiteral("TLS: ") + detail;
    if (isConnectionClosed(code))
        return QStringLiteral("connection closed: ") + detail;
    if (code == CURLE_TOO_MANY_REDIRECTS)
        return QStringLiteral("too many redirects: ") + detail;
    return QStringLiteral("network error: ") + detail;
}

size_t CurlTransfer::onData(char* data, size_t size, size_t count, void* self)
{
    const size_t bytes = size * count;
    static_cast<CurlTransfer*>(self)->m_received.append(data, static_cast<int>(bytes));
    return bytes;
}

} // namespace network
} // namespace zov
