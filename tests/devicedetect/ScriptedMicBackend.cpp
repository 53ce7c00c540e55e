#include "ScriptedMicBackend.h"

#include "ScriptedDevices.h"

#include <QtEndian>

#include <cmath>

namespace {

// Sixteen samples a period put one sample on each crest.
constexpr int kSamplesPerPeriod = 16;
constexpr int kPeriods = 20;

} // namespace

ScriptedMicBackend::ScriptedMicBackend(ScriptedDevices& devices, QObject* parent)
    : MicBackend(parent)
    , m_devices(devices)
{ }

QString ScriptedMicBackend::name() const
{
    return QStringLiteral("scripted");
}

QList<zov::capture::AudioDeviceInfo> ScriptedMicBackend::devices()
{
    ++m_devices.micListings;
    return m_devices.mics;
}

bool ScriptedMicBackend::start(const zov::capture::AudioDeviceInfo& device)
{
    m_devices.micStarts << device.name;
    m_running = !m_devices.broken.contains(device.name);
    return m_running;
}

void ScriptedMicBackend::stop()
{
    ++m_devices.micStops;
    m_running = false;
}

void ScriptedMicBackend::deliverTone(int peak)
{
    if (!m_running) {
        return;
    }
    QByteArray samples(kSamplesPerPeriod * kPeriods * 2, Qt::Uninitialized);
    for (int i = 0; i < kSamplesPerPeriod * kPeriods; ++i) {
        const double phase = 2 * M_PI * i / kSamplesPerPeriod;
        const auto value = qint16(std::lround(peak * std::sin(phase)));
        qToLittleEndian(value, samples.data() + 2 * i);
    }
    emit samplesCaptured(samples);
}
