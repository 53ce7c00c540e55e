#include "core/AudioPlayer.h"

#include "core/PcmFormat.h"

#include "core/MediaBackendFactory.h"
#include "core/SpeakerBackend.h"

#include <QDebug>
#include <QFile>

namespace zov {
namespace player {

AudioPlayer::AudioPlayer(QObject* parent)
    : QObject(parent)
{ }

AudioPlayer::~AudioPlayer()
{
    stop();
}

bool AudioPlayer::initCoreAudioHandle()
{
    if (!m_backend) {
        m_backend = media::MediaBackendFactory::current().createSpeakerBackend(this);
        qInfo().noquote() << "[AudioPlayer] speakers through" << m_backend->name();
    }
    return true;
}

QList<SpeakerDeviceInfo> AudioPlayer::getSpeakerDevices()
{
    return hasBackend("getSpeakerDevices") ? m_backend->devices() : QList<SpeakerDeviceInfo>();
}

bool AudioPlayer::setVolumeSize(const QString& device, const int& volume)
{
    return hasBackend("setVolumeSize") && m_backend->setVolume(device, volume);
}

int AudioPlayer::getVolumeSize(const QString& device)
{
    return hasBackend("getVolumeSize") ? m_backend->volume(device) : 0;
}

bool AudioPlayer::start(const QString& device, const QString& file)
{
    if (!hasBackend("start")) {
        return false;
    }
    stop();
    QFile sound(file);
    if (!sound.open(QIODevice::ReadOnly)) {
        qWarning() << "[AudioPlayer][start] cannot read" << file;
        return false;
    }
    const QByteArray pcm = sound.readAll();
    if (pcm.isEmpty()) {
        qWarning() << "[AudioPlayer][start] no sound in" << file;
        return false;
    }
    m_playing = m_backend->play(device, pcm, rawSoundFormat());
    return m_playing;
}

void AudioPlayer::stop()
{
    if (m_playing) {
        m_backend->stop();
        m_playing = false;
    }
}

QAudioFormat AudioPlayer::rawSoundFormat()
{
    return zov::media::pcm16kMonoFormat();
}

bool AudioPlayer::hasBackend(const char* operation) const
{
    if (!m_backend) {
        qWarning() << "[AudioPlayer]" << operation << "called before initCoreAudioHandle()";
    }
    return m_backend != nullptr;
}

} // namespace player
} // namespace zov
