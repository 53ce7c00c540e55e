#include "core/PcmConverter.h"

#include <QVector>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace zov {
namespace media {

namespace {

float readSample(const uchar* at, const QAudioFormat& format)
{
    switch (format.sampleSize()) {
    case 8:
        return (float(*at) - 128.0f) / 128.0f;
    case 16:
        return float(qFromLittleEndian<qint16>(at)) / 32768.0f;
    default:
        if (format.sampleType() == QAudioFormat::Float) {
            const quint32 bits = qFromLittleEndian<quint32>(at);
            float value = 0;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        return float(double(qFromLittleEndian<qint32>(at)) / 2147483648.0);
    }
}

void writeSample(float value, uchar* at, const QAudioFormat& format)
{
    const double clamped = qBound(-1.0, double(value), 1.0);
    switch (format.sampleSize()) {
    case 8:
        *at = uchar(std::lround(clamped * 127.0 + 128.0));
        break;
    case 16:
        qToLittleEndian<qint16>(qint16(std::lround(clamped * 32767.0)), at);
        break;
    default:
        if (format.sampleType() == QAudioFormat::Float) {
            const float narrow = float(clamped);
            quint32 bits = 0;
            std::memcpy(&bits, &narrow, sizeof bits);
            qToLittleEndian<quint32>(bits, at);
        } else {
            qToLittleEndian<qint32>(qint32(std::llround(clamped * 2147483647.0)), at);
        }
    }
}

} // namespace

bool PcmConverter::canConvert(const QAudioFormat& format)
{
    const int size = format.sampleSize();
    const QAudioFormat::SampleType type = format.sampleType();
    const bool known = (size == 8 && type == QAudioFormat::UnSignedInt)
        || (size == 16 && type == QAudioFormat::SignedInt)
        || (size == 32 && (type == QAudioFormat::SignedInt || type == QAudioFormat::Float));
    return known && format.byteOrder() == QAudioFormat::LittleEndian
        && format.codec() == QLatin1String("audio/pcm") && format.channelCount() > 0
        && format.sampleRate() > 0;
}

QByteArray PcmConverter::convert(
    const QByteArray& pcm, const QAudioFormat& from, const QAudioFormat& to)
{
    if (!canConvert(from) || !canConvert(to))
        return QByteArray();
    if (from == to)
        return pcm;
    const QVector<float> mono = toMonoSamples(pcm, from);
    return fromMonoSamples(resampled(mono, from.sampleRate(), to.sampleRate()), to);
}

QVector<float> PcmConverter::toMonoSamples(const QByteArray& pcm, const QAudioFormat& format)
{
    const int sampleBytes = format.sampleSize() / 8;
    const int channels = format.channelCount();
    const int frames = pcm.size() / (sampleBytes * channels);
    const auto* data = reinterpret_cast<const uchar*>(pcm.constData());
    QVector<float> mono(frames);
    for (int frame = 0; frame < frames; ++frame) {
        float sum = 0;
        for (int channel = 0; channel < channels; ++channel)
            sum += readSample(data + (frame * channels + channel) * sampleBytes, format);
        mono[frame] = sum / float(channels);
    }
    return mono;
}

QVector<float> PcmConverter::resampled(const QVector<float>& samples, int fromRate, int toRate)
{
    if (fromRate == toRate || samples.isEmpty())
        return samples;
    const int count = int(qint64(samples.size()) * toRate / fromRate);
    QVector<float> result(count);
    const double step = double(fromRate) / double(toRate);
    for (int i = 0; i < count; ++i) {
        const double position = i * step;
        const int before = qMin(int(position), samples.size() - 1);
        const int after = qMin(before + 1, samples.size() - 1);
        const float weight = float(position - before);
        result[i] = samples[before] * (1.0f - weight) + samples[after] * weight;
    }
    return result;
}

QByteArray PcmConverter::fromMonoSamples(const QVector<float>& samples, const QAudioFormat& format)
{
    const int sampleBytes = format.sampleSize() / 8;
    const int channels = format.channelCount();
    QByteArray pcm(samples.size() * channels * sampleBytes, Qt::Uninitialized);
    auto* data = reinterpret_cast<uchar*>(pcm.data());
    for (int frame = 0; frame < samples.size(); ++frame) {
        for (int channel = 0; channel < channels; ++channel)
            writeSample(samples[frame], data + (frame * channels + channel) * sampleBytes, format);
    }
    return pcm;
}

} // namespace media
} // namespace zov
