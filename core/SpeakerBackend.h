#pragma once

#include "core/SpeakerDeviceInfo.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

namespace zov {
namespace player {

// What AudioPlayer needs from an audio framework: the output devices, a volume per
// device and looped playback of raw samples.
class SpeakerBackend : public QObject
{
    Q_OBJECT

public:
    explicit SpeakerBackend(QObject* parent = nullptr);
    ~SpeakerBackend() override;

    // The framework's name, for the log.
    virtual QString name() const = 0;
    virtual QList<SpeakerDeviceInfo> devices() = 0;
    // volume runs from 0 (silent) to 100 (the samples as they are).
    virtual bool setVolume(const QString& device, int volume) = 0;
    virtual int volume(const QString& device) const = 0;
    // Plays pcm on device over and over until stop(), stopping any other playback.
    virtual bool play(const QString& device, const QByteArray& pcm, const QAudioFormat& format) = 0;
    virtual void stop() = 0;
};

} // namespace player
} // namespace zov
