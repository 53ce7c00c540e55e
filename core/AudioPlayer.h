#pragma once

#include "core/SpeakerDeviceInfo.h"

#include <QAudioFormat>
#include <QList>
#include <QObject>
#include <QString>

namespace zov {
namespace player {

class SpeakerBackend;

// The speakers: their list, a volume per speaker, and a raw sound played in a loop on
// one of them.
class AudioPlayer : public QObject
{
    Q_OBJECT

public:
    explicit AudioPlayer(QObject* parent);
    ~AudioPlayer() override;

    // Opens the system's audio; every other call needs it first.
    bool initCoreAudioHandle();
    QList<SpeakerDeviceInfo> getSpeakerDevices();
    // volume runs from 0 to 100.
    bool setVolumeSize(const QString& device, const int& volume);
    int getVolumeSize(const QString& device);
    // Plays the raw sound in file (a path or a resource) over and over on device until
    // stop(). The file holds bare samples in rawSoundFormat().
    bool start(const QString& device, const QString& file);
    void stop();

    // 16 kHz, one channel, signed 16-bit little-endian samples.
    static QAudioFormat rawSoundFormat();

private:
    bool hasBackend(const char* operation) const;

    SpeakerBackend* m_backend = nullptr;
    bool m_playing = false;
};

} // namespace player
} // namespace zov
