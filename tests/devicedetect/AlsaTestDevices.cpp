#include "AlsaTestDevices.h"

#include <QAudioDeviceInfo>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <alsa/asoundlib.h>

#include <cmath>

namespace {

// Long enough for any test: a device without a clock reads faster than real time.
constexpr int kToneSamples = 16000 * 10;

// Mono 16-bit samples of a tone whose loudest sample is exactly peak: sixteen samples a
// period put one sample on each crest.
QByteArray tone(int peak)
{
    QByteArray data(kToneSamples * 2, Qt::Uninitialized);
    for (int i = 0; i < kToneSamples; ++i) {
        const double phase = 2 * M_PI * i / 16;
        qToLittleEndian(qint16(std::lround(peak * std::sin(phase))), data.data() + 2 * i);
    }
    return data;
}

} // namespace

AlsaTestDevices::AlsaTestDevices(const QString& home)
    : m_home(home)
{
    QDir(filePath(QString())).removeRecursively();
    QDir().mkpath(filePath(QString()));
}

void AlsaTestDevices::addMicrophone(const QString& name, int peak)
{
    QFile input(filePath(name + QStringLiteral(".in")));
    if (input.open(QIODevice::WriteOnly)) {
        input.write(tone(peak));
    }
    m_declarations << declaration(name, fileDevice(QStringLiteral("/dev/null"), input.fileName()));
}

void AlsaTestDevices::addSpeaker(const QString& name)
{
    m_declarations << declaration(
        name, fileDevice(filePath(name + QStringLiteral(".out")), QString()));
}

void AlsaTestDevices::addBroken(const QString& name)
{
    // The sound card it names is not there.
    m_declarations << declaration(name, QStringLiteral("    type hw\n    card 99\n"));
}

bool AlsaTestDevices::install() const
{
    QFile config(m_home + QStringLiteral("/.asoundrc"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || config.write(m_declarations.join(QLatin1Char('\n')).toUtf8()) < 0 || !config.flush()) {
        return false;
    }
    // ALSA keeps what it read until its top-level files change, which this one is not.
    return snd_config_update_free_global() == 0;
}

QByteArray AlsaTestDevices::played(const QString& speaker) const
{
    QFile output(filePath(speaker + QStringLiteral(".out")));
    return output.open(QIODevice::ReadOnly) ? output.readAll() : QByteArray();
}

bool AlsaTestDevices::isListed(const QString& name, QAudio::Mode mode)
{
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(mode);
    for (const QAudioDeviceInfo& device : devices) {
        if (device.deviceName() == name) {
            return true;
        }
    }
    return false;
}

QString AlsaTestDevices::filePath(const QString& name) const
{
    return m_home + QStringLiteral("/alsa/") + name;
}

QString AlsaTestDevices::declaration(const QString& name, const QString& body)
{
    return QStringLiteral("pcm.%1 {\n%2    hint { show on description \"%3 (test)\" }\n}\n")
        .arg(name == QLatin1String("default") ? QStringLiteral("!default") : name, body, name);
}

QString AlsaTestDevices::fileDevice(const QString& output, const QString& input)
{
    // The null slave has no clock, so nothing waits for a sound card; "raw" keeps the
    // files bare samples.
    QString text = QStringLiteral("    type file\n    slave.pcm \"null\"\n"
                                  "    file \"%1\"\n    format \"raw\"\n")
                       .arg(output);
    if (!input.isEmpty()) {
        text += QStringLiteral("    infile \"%1\"\n").arg(input);
    }
    return text;
}
