#include "core/CurlMulti.h"

#include "core/CurlTransfer.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QThreadStorage>

#include <mutex>

namespace zov {
namespace network {

namespace {

// libcurl takes a kept connection that a TLS server has closed for a live one (the server's
// closing alert is still there to read), and retries a request that fails on it on the next
// kept connection, five times at most. With fewer kept, a retry always gets to a new one.
const long kMaxIdleConnections = 4;

QThreadStorage<CurlMulti*>& multis()
{
    static QThreadStorage<CurlMulti*> storage;
    return storage;
}

} // namespace

CurlMulti* CurlMulti::forThisThread()
{
    // A thread that has not asked before holds a null pointer.
    if (!multis().localData())
        multis().setLocalData(new CurlMulti);
    return multis().localData();
}

void CurlMulti::releaseThisThread()
{
    multis().setLocalData(nullptr);
}

CurlMulti::CurlMulti()
{
    static std::once_flag globalSetUp;
    std::call_once(globalSetUp, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_multi = curl_multi_init();
    m_share = curl_share_init();
    // The multi handle already keeps connections for reuse; a new connection to a server
    // seen before resumes its TLS session instead of a full handshake.
    curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_multi_setopt(m_multi, CURLMOPT_MAXCONNECTS, kMaxIdleConnections);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlMulti::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlMulti::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlMulti::~CurlMulti()
{
    for (auto& entry : m_running)
        curl_multi_remove_handle(m_multi, entry.first);
    m_running.clear();
    curl_multi_cleanup(m_multi);
    curl_share_cleanup(m_share);
}

quint64 CurlMulti::submit(
    const HttpRequest& request, std::shared_ptr<const CurlCaStore> caStore, Completion completion)
{
    auto curl = std::make_unique<CurlTransfer>(request, std::move(caStore));
    CURL* handle = curl->handle();
    curl_easy_setopt(handle, CURLOPT_SHARE, m_share);
    const quint64 id = ++m_lastId;
    m_running.emplace(handle, Transfer { id, std::move(curl), std::move(completion) });
    // Only asks for a time-out of 0: the transfer starts from the event loop.
    curl_multi_add_handle(m_multi, handle);
    return id;
}

void CurlMulti::cancel(quint64 id)
{
    for (auto it = m_running.begin(); it != m_running.end(); ++it) {
        if (it->second.id == id) {
            curl_multi_remove_handle(m_multi, it->first);
            m_running.erase(it);
            return;
        }
    }
}

int CurlMulti::onSocket(CURL*, curl_socket_t socket, int what, void* self, void*)
{
    static_cast<CurlMulti*>(self)->watch(socket, what);
    return 0;
}

int CurlMulti::onTimer(CURLM*, long timeoutMs, void* self)
{
    QTimer& timer = static_cast<CurlMulti*>(self)->m_timer;
    if (timeoutMs < 0)
        timer.stop();
    else
        timer.start(static_cast<int>(timeoutMs));
    return 0;
}

void CurlMulti::watch(curl_socket_t socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        forget(socket);
        return;
    }
    notifierFor(socket, true)->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    notifierFor(socket, false)->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

// libcurl closes the socket after this; a notifier may be the one reporting right now,
// so it goes once the event loop is back.
void CurlMulti::forget(curl_socket_t socket)
{
    const auto it = m_watches.find(socket);
    if (it == m_watches.end())
        return;
    for (QSocketNotifier* notifier : { it->second.read, it->second.write }) {
        if (!notifier)
            continue;
        notifier->setEnabled(false);
        notifier->disconnect(this);
        notifier->deleteLater();
    }
    m_watches.erase(it);
}

QSocketNotifier* CurlMulti::notifierFor(curl_socket_t socket, bool forReading)
{
    Watch& watch = m_watches[socket];
    QSocketNotifier*& notifier = forReading ? watch.read : watch.write;
    if (notifier)
        return notifier;
    notifier = new QSocketNotifier(
        socket, forReading ? QSocketNotifier::Read : QSocketNotifier::Write, this);
    notifier->setEnabled(false);
    // The signal's overloads can only be told apart by name here.
    connect(notifier, SIGNAL(activated(QSocketDescriptor, QSocketNotifier::Type)), this,
        SLOT(onNotifierActivated()));
    return notifier;
}

void CurlMulti::onNotifierActivated()
{
    const auto* notifier = static_cast<QSocketNotifier*>(sender());
    act(static_cast<curl_socket_t>(notifier->socket()),
        notifier->type() == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT);
}

void CurlMulti::act(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    completeFinished();
}

void CurlMulti::completeFinished()
{
    QPointer<CurlMulti> alive(this);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const auto it = m_running.find(message->easy_handle);
        if (it == m_running.end())
            continue;
        const HttpResponse response = it->second.curl->response(message->data.result);
        Transfer transfer = std::move(it->second);
        curl_multi_remove_handle(m_multi, it->first);
        m_running.erase(it);
        // The completion may send the next request, cancel others or release us.
        transfer.completion(response);
        if (!alive)
            return;
    }
}

} // namespace network
} // namespace zov
