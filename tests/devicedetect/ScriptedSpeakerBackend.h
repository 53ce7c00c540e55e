#pragma once

#include "core/SpeakerBackend.h"

struct ScriptedDevices;

// Speakers that exist only in a test: every call is written into the record.
class ScriptedSpeakerBackend : public zov::player::SpeakerBackend
{
    Q_OBJECT

public:
    ScriptedSpeakerBackend(ScriptedDevices& devices, QObject* parent);

    QString name() const override;
    QList<zov::player::SpeakerDeviceInfo> devices() override;
    bool setVolume(const QString& device, int volume) override;
    int volume(const QString& device) const override;
    bool play(const QString& device, const QByteArray& pcm, const QAudioFormat& format) override;
    void stop() override;

private:
    ScriptedDevices& m_devices;
};
