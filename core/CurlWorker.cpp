#include "core/CurlWorker.h"

#include "core/CurlTransfer.h"

namespace zov {
namespace network {

namespace {

// Only bounds how long an idle loop sleeps; new work and stop requests wake it.
const int kIdlePollMs = 1000;
// libcurl takes a kept connection that a TLS server has closed for a live one (the server's
// closing alert is still there to read), and retries a request that fails on it on the next
// kept connection, five times at most. With fewer kept, a retry always gets to a new one.
const long kMaxIdleConnections = 4;

std::mutex& sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<CurlWorker>& sharedWorker()
{
    static std::shared_ptr<CurlWorker> worker;
    return worker;
}

} // namespace

std::shared_ptr<CurlWorker> CurlWorker::shared()
{
    std::lock_guard<std::mutex> lock(sharedMutex());
    std::shared_ptr<CurlWorker>& worker = sharedWorker();
    if (!worker) {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        worker = std::make_shared<CurlWorker>();
    }
    return worker;
}

void CurlWorker::stopShared()
{
    std::lock_guard<std::mutex> lock(sharedMutex());
    std::shared_ptr<CurlWorker>& worker = sharedWorker();
    if (!worker)
        return;
    // Transports may still hold the worker; stopping it here keeps libcurl's global
    // clean-up from running under live handles.
    worker->stop();
    worker.reset();
    curl_global_cleanup();
}

CurlWorker::CurlWorker()
    : m_multi(curl_multi_init())
    , m_share(curl_share_init())
{
    // The multi handle already keeps connections for reuse; a new connection to a server
    // seen before resumes its TLS session instead of a full handshake.
    curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_multi_setopt(m_multi, CURLMOPT_MAXCONNECTS, kMaxIdleConnections);
    m_thread = std::thread(&CurlWorker::run, this);
}

CurlWorker::~CurlWorker()
{
    stop();
    curl_multi_cleanup(m_multi);
    curl_share_cleanup(m_share);
}

quint64 CurlWorker::submit(
    const HttpRequest& request, std::shared_ptr<const CurlCaStore> caStore, Completion completion)
{
    auto curl = std::make_unique<CurlTransfer>(request, std::move(caStore));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return 0;
    const quint64 id = ++m_lastId;
    m_submitted.push_back({ id, std::move(curl) });
    m_completions.emplace(id, std::move(completion));
    curl_multi_wakeup(m_multi);
    return id;
}

void CurlWorker::cancel(quint64 id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_completions.erase(id) > 0)
        curl_multi_wakeup(m_multi);
}

void CurlWorker::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_completions.clear();
        curl_multi_wakeup(m_multi);
    }
    if (m_thread.joinable())
        m_thread.join();
}

void CurlWorker::run()
{
    while (adoptSubmitted()) {
        dropCancelled();
        int running = 0;
        curl_multi_perform(m_multi, &running);
        completeFinished();
        curl_multi_poll(m_multi, nullptr, 0, kIdlePollMs, nullptr);
    }
    for (auto& entry : m_running)
        curl_multi_remove_handle(m_multi, entry.first);
    m_running.clear();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_submitted.clear();
}

bool CurlWorker::adoptSubmitted()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return false;
    for (Transfer& transfer : m_submitted) {
        CURL* handle = transfer.curl->handle();
        curl_easy_setopt(handle, CURLOPT_SHARE, m_share);
        curl_multi_add_handle(m_multi, handle);
        m_running.emplace(handle, std::move(transfer));
    }
    m_submitted.clear();
    return true;
}

void CurlWorker::dropCancelled()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (m_completions.count(it->second.id) > 0) {
            ++it;
            continue;
        }
        curl_multi_remove_handle(m_multi, it->first);
        it = m_running.erase(it);
    }
}

void CurlWorker::completeFinished()
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* handle = message->easy_handle;
        const CURLcode code = message->data.result;
        const auto it = m_running.find(handle);
        if (it == m_running.end())
            continue;
        complete(it->second.id, it->second.curl->response(code));
        curl_multi_remove_handle(m_multi, handle);
        m_running.erase(it);
    }
}

void CurlWorker::complete(quint64 id, const HttpResponse& response)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_completions.find(id);
    if (it == m_completions.end())
        return;
    it->second(response);
    m_completions.erase(it);
}

} // namespace network
} // namespace zov
