#pragma once

#include "core/AudioDeviceInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>

namespace zov {
namespace capture {

class MicBackend;

// One microphone: the system's microphones, and the level of the one started.
class MicCapture : public QObject
{
    Q_OBJECT

public:
    MicCapture(QObject* parent, const MicType& type);
    ~MicCapture() override;

    QList<AudioDeviceInfo> getAudioDevice();
    bool start(const AudioDeviceInfo& device);
    // No level is emitted after it returns.
    void stop();

    // The full scale of the levels emitted.
    static constexpr unsigned int kMaximumLevel = 32767;

signals:
    // The loudest sample of each block captured, out of maximum.
    void audioVolumeChanged(unsigned int volume, unsigned int maximum);

private:
    void onSamplesCaptured(const QByteArray& samples);

    MicBackend* m_backend;
    bool m_running = false;
};

} // namespace capture
} // namespace zov
