#pragma once

#include "core/HttpRequest.h"
#include "core/HttpResponse.h"

#include <QObject>
#include <QTimer>

#include <curl/curl.h>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

namespace zov {
namespace network {

class CurlCaStore;
class CurlTransfer;

// The calling thread's libcurl multi handle, driven by that thread's event loop: the
// sockets libcurl wants watched get socket notifiers and its time-outs a timer, so a
// transfer never leaves the thread that asked for it and no thread has to be woken.
class CurlMulti : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(const HttpResponse&)>;

    static CurlMulti* forThisThread();
    // Drops the calling thread's transfers without completing them.
    static void releaseThisThread();

    ~CurlMulti() override;

    // Returns the transfer's id for cancel(). The completion comes from the event loop,
    // never from inside submit(), and never after cancel().
    quint64 submit(const HttpRequest& request, std::shared_ptr<const CurlCaStore> caStore,
        Completion completion);
    void cancel(quint64 id);

private slots:
    void onNotifierActivated();

private:
    struct Transfer
    {
        quint64 id = 0;
        std::unique_ptr<CurlTransfer> curl;
        Completion completion;
    };
    struct Watch
    {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };

    CurlMulti();

    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* self, void*);
    static int onTimer(CURLM* multi, long timeoutMs, void* self);
    void watch(curl_socket_t socket, int what);
    void forget(curl_socket_t socket);
    QSocketNotifier* notifierFor(curl_socket_t socket, bool forReading);
    void act(curl_socket_t socket, int events);
    void completeFinished();

    CURLM* m_multi;
    CURLSH* m_share;
    QTimer m_timer;
    std::map<curl_socket_t, Watch> m_watches;
    std::map<CURL*, Transfer> m_running;
    quint64 m_lastId = 0;
};

} // namespace network
} // namespace zov
