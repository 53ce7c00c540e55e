#pragma once

#include "core/MicBackend.h"

#include <QAudioFormat>

class QAudioInput;
class QIODevice;

namespace zov {
namespace capture {

// Microphones through QtMultimedia's QAudioInput.
class QtMicBackend : public MicBackend
{
    Q_OBJECT

public:
    explicit QtMicBackend(QObject* parent = nullptr);
    ~QtMicBackend() override;

    QString name() const override;
    QList<AudioDeviceInfo> devices() override;
    bool start(const AudioDeviceInfo& device) override;
    void stop() override;

private:
    void readSamples();

    QAudioInput* m_input = nullptr;
    QAudioFormat m_captureFormat;
    QIODevice* m_source = nullptr;
};

} // namespace capture
} // namespace zov
