#pragma once

#include "core/AudioDeviceInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

namespace zov {
namespace capture {

// What MicCapture needs from an audio framework: the microphones, and the samples of the
// one started.
class MicBackend : public QObject
{
    Q_OBJECT

public:
    explicit MicBackend(QObject* parent = nullptr);
    ~MicBackend() override;

    // The framework's name, for the log.
    virtual QString name() const = 0;
    virtual QList<AudioDeviceInfo> devices() = 0;
    // Starts capturing from device, stopping any other.
    virtual bool start(const AudioDeviceInfo& device) = 0;
    // After it returns no samples arrive any more.
    virtual void stop() = 0;

signals:
    // Signed 16-bit little-endian samples, channels interleaved.
    void samplesCaptured(const QByteArray& samples);
};

} // namespace capture
} // namespace zov
