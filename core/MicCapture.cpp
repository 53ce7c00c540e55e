#include "core/MicCapture.h"

#include "core/MediaBackendFactory.h"
#include "core/MicBackend.h"

#include <QDebug>
#include <QtEndian>

#include <cstdlib>

namespace zov {
namespace capture {

namespace {

unsigned int peakOf(const QByteArray& samples)
{
    const int count = samples.size() / 2;
    const char* data = samples.constData();
    int peak = 0;
    for (int i = 0; i < count; ++i) {
        peak = qMax(peak, std::abs(int(qFromLittleEndian<qint16>(data + 2 * i))));
    }
    // -32768 has no positive twin; it counts as full scale.
    return qMin(unsigned(peak), MicCapture::kMaximumLevel);
}

} // namespace

MicCapture::MicCapture(QObject* parent, const MicType& type)
    : QObject(parent)
    , m_backend(media::MediaBackendFactory::current().createMicBackend(type, this))
{
    qInfo().noquote() << "[MicCapture] microphones through" << m_backend->name();
    connect(m_backend, &MicBackend::samplesCaptured, this, &MicCapture::onSamplesCaptured);
}

MicCapture::~MicCapture()
{
    stop();
}

QList<AudioDeviceInfo> MicCapture::getAudioDevice()
{
    return m_backend->devices();
}

bool MicCapture::start(const AudioDeviceInfo& device)
{
    m_running = m_backend->start(device);
    return m_running;
}

void MicCapture::stop()
{
    if (m_running) {
        m_backend->stop();
        m_running = false;
    }
}

void MicCapture::onSamplesCaptured(const QByteArray& samples)
{
    if (m_running && samples.size() >= 2) {
        emit audioVolumeChanged(peakOf(samples), kMaximumLevel);
    }
}

} // namespace capture
} // namespace zov
