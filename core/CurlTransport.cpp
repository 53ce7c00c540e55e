#include "core/CurlTransport.h"

#include "core/CurlMulti.h"
#include "core/TrustStore.h"

namespace zov {
namespace network {

CurlTransport::~CurlTransport()
{
    if (m_multi && m_transferId != 0)
        m_multi->cancel(m_transferId);
}

void CurlTransport::send(const HttpRequest& request)
{
    m_multi = CurlMulti::forThisThread();
    m_transferId = m_multi->submit(
        request, TrustStore::instance().curlCaStore(), [this](const HttpResponse& response) {
            m_transferId = 0;
            emit finished(response);
        });
}

} // namespace network
} // namespace zov
