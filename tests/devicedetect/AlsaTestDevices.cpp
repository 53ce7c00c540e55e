#include "AlsaTestDevices.h"

#include <QAudioDeviceInfo>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cmath>

namespace {

// Long enough for any test: a device without a clock reads faster than real time.
constexpr int kToneSamples = 16000 * 10;

} // namespace

AlsaTestDevices::AlsaTestDevices(const QString& home)
    : m_home(home)
{
    QDir(m_home).mkpath(QStringLiteral("alsa"));
}

QByteArray AlsaTestDevices::tone(int peak, int samples)
{
    QByteArray data(samples * 2, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i) {
        const double phase = 2 * M_PI * i / 16;
        qToLittleEndian(qint16(std::lround(peak * std::sin(phase))), data.data() + 2 * i);
    }
    return data;
}

void AlsaTestDevices::addMicrophone(const QString& name, int peak)
{
    QFile input(filePath(name + QStringLiteral(".in")));
    if (input.open(QIODevice::WriteOnly)) {
        input.write(tone(peak, kToneSamples));
    }
    m_declarations << declaration(name, QStringLiteral("/dev/null"), input.fileName());
}

void AlsaTestDevices::addSpeaker(const QString& name)
{
    m_declarations << declaration(name, filePath(name + QStringLiteral(".out")), QString());
}

bool AlsaTestDevices::install() const
{
    QFile config(m_home + QStringLiteral("/.asoundrc"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return config.write(m_declarations.join(QLatin1Char('\n')).toUtf8()) > 0;
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

QString AlsaTestDevices::declaration(
    const QString& name, const QString& output, const QString& input)
{
    // The null slave has no clock, so nothing waits for a sound card; "raw" keeps the
    // files bare samples.
    QString text
        = QStringLiteral("pcm.%1 {\n    type file\n    slave.pcm \"null\"\n"
                         "    file \"%2\"\n    format \"raw\"\n")
              .arg(name == QLatin1String("default") ? QStringLiteral("!default") : name, output);
    if (!input.isEmpty()) {
        text += QStringLiteral("    infile \"%1\"\n").arg(input);
    }
    return text + QStringLiteral("    hint { show on description \"%1 (test)\" }\n}\n").arg(name);
}
