#include "core/LoopingPcmSource.h"

#include <cstring>

namespace zov {
namespace player {

LoopingPcmSource::LoopingPcmSource(const QByteArray& pcm, QObject* parent)
    : QIODevice(parent)
    , m_pcm(pcm)
{ }

bool LoopingPcmSource::isSequential() const
{
    return true;
}

qint64 LoopingPcmSource::bytesAvailable() const
{
    return m_pcm.size() + QIODevice::bytesAvailable();
}

qint64 LoopingPcmSource::readData(char* data, qint64 maxSize)
{
    if (m_pcm.isEmpty()) {
        return 0;
    }
    qint64 copied = 0;
    while (copied < maxSize) {
        const qint64 chunk = qMin(maxSize - copied, m_pcm.size() - m_position);
        std::memcpy(data + copied, m_pcm.constData() + m_position, size_t(chunk));
        copied += chunk;
        m_position = (m_position + chunk) % m_pcm.size();
    }
    return copied;
}

qint64 LoopingPcmSource::writeData(const char*, qint64)
{
    return -1;
}

} // namespace player
} // namespace zov
