#include "core/QtSpeakerBackend.h"

#include "core/LoopingPcmSource.h"
#include "core/PcmConverter.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QDebug>

namespace zov {
namespace player {

namespace {

// A device nobody set a volume for plays the samples unchanged.
constexpr int kFullVolume = 100;

QList<QAudioDeviceInfo> namedOutputs()
{
    QList<QAudioDeviceInfo> result;
    const QList<QAudioDeviceInfo> all = QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
    for (const QAudioDeviceInfo& info : all) {
        if (!info.deviceName().isEmpty()) {
            result << info;
        }
    }
    return result;
}

qreal outputVolume(int volume)
{
    return volume / qreal(kFullVolume);
}

} // namespace

QtSpeakerBackend::QtSpeakerBackend(QObject* parent)
    : SpeakerBackend(parent)
{ }

QtSpeakerBackend::~QtSpeakerBackend()
{
    stop();
}

QString QtSpeakerBackend::name() const
{
    return QStringLiteral("QtMultimedia");
}

QList<SpeakerDeviceInfo> QtSpeakerBackend::devices()
{
    QString defaultName = QAudioDeviceInfo::defaultOutputDevice().deviceName();
    if (defaultName.isEmpty()) {
        // Without a sound server Qt names no default; ALSA's own choice is "default".
        defaultName = QStringLiteral("default");
    }
    QList<SpeakerDeviceInfo> result;
    const QList<QAudioDeviceInfo> outputs = namedOutputs();
    for (int i = 0; i < outputs.size(); ++i) {
        const QAudioDeviceInfo& info = outputs.at(i);
        SpeakerDeviceInfo speaker;
        speaker.index = i;
        speaker.name = info.deviceName();
        speaker.description = info.realm();
        speaker.channelCount = info.preferredFormat().channelCount();
        speaker.sampleRate = info.preferredFormat().sampleRate();
        speaker.isDefault = info.deviceName() == defaultName;
        result << speaker;
    }
    return result;
}

bool QtSpeakerBackend::setVolume(const QString& device, int volume)
{
    const int bounded = qBound(0, volume, kFullVolume);
    m_volumes.insert(device, bounded);
    if (m_output && device == m_device) {
        m_output->setVolume(outputVolume(bounded));
    }
    return true;
}

int QtSpeakerBackend::volume(const QString& device) const
{
    return m_volumes.value(device, kFullVolume);
}

bool QtSpeakerBackend::play(
    const QString& device, const QByteArray& pcm, const QAudioFormat& format)
{
    stop();
    QAudioDeviceInfo chosen;
    for (const QAudioDeviceInfo& info : namedOutputs()) {
        if (info.deviceName() == device) {
            chosen = info;
            break;
        }
    }
    if (chosen.isNull()) {
        qWarning() << "[QtSpeakerBackend][play] no speaker named" << device;
        return false;
    }
    // A device that does not take the sound as it is stored gets it in its own format.
    QAudioFormat played = format;
    QByteArray sound = pcm;
    if (!chosen.isFormatSupported(format)) {
        played = chosen.nearestFormat(format);
        sound = zov::media::PcmConverter::convert(pcm, format, played);
        if (sound.isEmpty() || !chosen.isFormatSupported(played)) {
            qWarning() << "[QtSpeakerBackend][play]" << device << "cannot play" << format;
            return false;
        }
    }

    m_device = device;
    m_source = new LoopingPcmSource(sound, this);
    m_source->open(QIODevice::ReadOnly);
    m_output = new QAudioOutput(chosen, played, this);
    m_output->setVolume(outputVolume(volume(device)));
    m_output->start(m_source);
    if (m_output->error() != QAudio::NoError) {
        qWarning() << "[QtSpeakerBackend][play]" << device << "failed:" << m_output->error();
        stop();
        return false;
    }
    return true;
}

void QtSpeakerBackend::stop()
{
    if (!m_output) {
        return;
    }
    m_output->stop();
    delete m_output;
    m_output = nullptr;
    delete m_source;
    m_source = nullptr;
    m_device.clear();
}

} // namespace player
} // namespace zov
