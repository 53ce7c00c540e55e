#pragma once

#include "core/HttpRequest.h"
#include "core/HttpResponse.h"

#include <curl/curl.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zov {
namespace network {

class CurlCaStore;
class CurlTransfer;

// One thread running a libcurl multi loop for every curl transfer of the process, so
// the requesting threads never block on the network.
//
// A completion is called on the worker thread with the worker's lock held; cancel()
// takes the same lock. Once cancel() returns, the completion of that transfer is
// never called, which lets the owner of a transfer go away at any time.
class CurlWorker
{
public:
    using Completion = std::function<void(const HttpResponse&)>;

    // The process's worker, started (with libcurl's global set-up) on first use.
    static std::shared_ptr<CurlWorker> shared();
    // Stops the shared worker and drops its transfers without completing them.
    static void stopShared();

    CurlWorker();
    ~CurlWorker();
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    // Returns the transfer's id for cancel(), or 0 when the worker has stopped.
    quint64 submit(const HttpRequest& request, std::shared_ptr<const CurlCaStore> caStore,
        Completion completion);
    void cancel(quint64 id);

private:
    struct Transfer
    {
        quint64 id = 0;
        std::unique_ptr<CurlTransfer> curl;
    };

    void stop();
    void run();
    bool adoptSubmitted();
    void dropCancelled();
    void completeFinished();
    void complete(quint64 id, const HttpResponse& response);

    CURLM* m_multi = nullptr;
    // Worker thread only, like every transfer attached to it.
    CURLSH* m_share = nullptr;
    std::thread m_thread;

    std::mutex m_mutex;
    bool m_stopping = false;
    quint64 m_lastId = 0;
    std::vector<Transfer> m_submitted;
    std::map<quint64, Completion> m_completions;

    // Worker thread only.
    std::map<CURL*, Transfer> m_running;
};

} // namespace network
} // namespace zov
