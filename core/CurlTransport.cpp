#include "core/CurlTransport.h"

#include "core/CurlWorker.h"
#include "core/TrustStore.h"

namespace zov {
namespace network {

CurlTransport::~CurlTransport()
{
    // Must happen before QObject's destructor: after cancel() the worker no longer
    // posts to this object, and ~QObject discards what it has already posted.
    if (m_transferId != 0)
        m_worker->cancel(m_transferId);
}

void CurlTransport::send(const HttpRequest& request)
{
    m_worker = CurlWorker::shared();
    m_transferId = m_worker->submit(
        request, TrustStore::instance().curlCaStore(), [this](const HttpResponse& response) {
            QMetaObject::invokeMethod(
                this, [this, response] { onResponse(response); }, Qt::QueuedConnection);
        });
}

void CurlTransport::onResponse(const HttpResponse& response)
{
    m_transferId = 0;
    emit finished(response);
}

} // namespace network
} // namespace zov
