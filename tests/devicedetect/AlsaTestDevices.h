#pragma once

#include <QAudio>
#include <QByteArray>
#include <QString>
#include <QStringList>

// Sound devices made of ALSA's "file" plugin, declared in a test's own home: a
// microphone reads a tone from a file, a speaker writes what it plays into a file. They
// take the real QtMultimedia and ALSA path on a machine without a sound card.
class AlsaTestDevices
{
public:
    // home: the test's private HOME, where ALSA looks for .asoundrc. What earlier devices
    // there played is dropped.
    explicit AlsaTestDevices(const QString& home);

    // A microphone whose samples are a 16 kHz mono tone peaking at exactly peak. The name
    // "default" makes it the system's default device.
    void addMicrophone(const QString& name, int peak);
    void addSpeaker(const QString& name);
    // A device that is listed but refuses to open, for recording and for playing.
    void addBroken(const QString& name);
    // Writes the declarations; the process sees them the next time it lists devices.
    bool install() const;

    // What the speaker has been sent so far, as raw samples.
    QByteArray played(const QString& speaker) const;

    // Whether QtMultimedia lists name: false where ALSA or its Qt plugin is missing.
    static bool isListed(const QString& name, QAudio::Mode mode);

private:
    QString filePath(const QString& name) const;
    static QString declaration(const QString& name, const QString& body);
    static QString fileDevice(const QString& output, const QString& input);

    QString m_home;
    QStringList m_declarations;
};
