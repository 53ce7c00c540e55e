#pragma once

#include <QAudioFormat>
#include <QByteArray>

namespace zov {
namespace media {

// Moves little-endian PCM between the formats sound devices offer: 8-bit unsigned, 16- and
// 32-bit signed, and 32-bit float samples, any channel count and sample rate. Channels are
// mixed down and copied out again, rates are changed by linear interpolation: good enough
// for a test sound and a level meter, which is all it serves.
class PcmConverter
{
public:
    static bool canConvert(const QAudioFormat& format);
    // Empty when either format cannot be converted.
    static QByteArray convert(
        const QByteArray& pcm, const QAudioFormat& from, const QAudioFormat& to);

private:
    static QVector<float> toMonoSamples(const QByteArray& pcm, const QAudioFormat& format);
    static QVector<float> resampled(const QVector<float>& samples, int fromRate, int toRate);
    static QByteArray fromMonoSamples(const QVector<float>& samples, const QAudioFormat& format);
};

} // namespace media
} // namespace zov
