#include "core/QtMicBackend.h"

#include "core/PcmConverter.h"
#include "core/PcmFormat.h"

#include <QAudioDeviceInfo>
#include <QAudioInput>
#include <QDebug>

namespace zov {
namespace capture {

namespace {

// Half a second at the preferred rate. A device without a clock of its own offers
// endless data; reading a bounded block per wake-up keeps the GUI thread free.
constexpr qint64 kMaxBytesPerRead = 16000;

QList<QAudioDeviceInfo> namedInputs()
{
    QList<QAudioDeviceInfo> result;
    const QList<QAudioDeviceInfo> all = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo& info : all) {
        if (!info.deviceName().isEmpty()) {
            result << info;
        }
    }
    return result;
}

} // namespace

QtMicBackend::QtMicBackend(QObject* parent)
    : MicBackend(parent)
{ }

QtMicBackend::~QtMicBackend()
{
    stop();
}

QString QtMicBackend::name() const
{
    return QStringLiteral("QtMultimedia");
}

QList<AudioDeviceInfo> QtMicBackend::devices()
{
    QList<AudioDeviceInfo> result;
    const QList<QAudioDeviceInfo> inputs = namedInputs();
    for (int i = 0; i < inputs.size(); ++i) {
        result << AudioDeviceInfo { inputs.at(i).deviceName(), i };
    }
    return result;
}

bool QtMicBackend::start(const AudioDeviceInfo& device)
{
    stop();
    QAudioDeviceInfo chosen;
    for (const QAudioDeviceInfo& info : namedInputs()) {
        if (info.deviceName() == device.name) {
            chosen = info;
            break;
        }
    }
    if (chosen.isNull()) {
        qWarning() << "[QtMicBackend][start] no microphone named" << device.name;
        return false;
    }
    QAudioFormat format = zov::media::pcm16kMonoFormat();
    if (!chosen.isFormatSupported(format)) {
        format = chosen.nearestFormat(format);
    }
    // The meter reads 16 kHz mono 16-bit samples; other formats are turned into those.
    if (!zov::media::PcmConverter::canConvert(format)) {
        qWarning() << "[QtMicBackend][start]" << device.name
                   << "offers no usable samples:" << format;
        return false;
    }
    m_captureFormat = format;

    m_input = new QAudioInput(chosen, format, this);
    m_source = m_input->start();
    if (!m_source || m_input->error() != QAudio::NoError) {
        qWarning() << "[QtMicBackend][start]" << device.name << "failed:" << m_input->error();
        stop();
        return false;
    }
    connect(m_source, &QIODevice::readyRead, this, &QtMicBackend::readSamples);
    return true;
}

void QtMicBackend::stop()
{
    if (!m_input) {
        return;
    }
    m_input->stop();
    delete m_input;
    m_input = nullptr;
    m_source = nullptr;
}

void QtMicBackend::readSamples()
{
    const QByteArray samples = m_source->read(kMaxBytesPerRead);
    if (samples.isEmpty())
        return;
    emit samplesCaptured(zov::media::PcmConverter::convert(
        samples, m_captureFormat, zov::media::pcm16kMonoFormat()));
}

} // namespace capture
} // namespace zov
