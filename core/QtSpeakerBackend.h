#pragma once

#include "core/SpeakerBackend.h"

#include <QHash>

class QAudioOutput;

namespace zov {
namespace player {

class LoopingPcmSource;

// Speakers through QtMultimedia's QAudioOutput. The system mixer is not touched: a
// device's volume scales the samples this program sends to it.
class QtSpeakerBackend : public SpeakerBackend
{
    Q_OBJECT

public:
    explicit QtSpeakerBackend(QObject* parent = nullptr);
    ~QtSpeakerBackend() override;

    QString name() const override;
    QList<SpeakerDeviceInfo> devices() override;
    bool setVolume(const QString& device, int volume) override;
    int volume(const QString& device) const override;
    bool play(const QString& device, const QByteArray& pcm, const QAudioFormat& format) override;
    void stop() override;

private:
    QHash<QString, int> m_volumes;
    QString m_device;
    QAudioOutput* m_output = nullptr;
    LoopingPcmSource* m_source = nullptr;
};

} // namespace player
} // namespace zov
