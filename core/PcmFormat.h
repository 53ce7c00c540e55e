#pragma once

#include <QAudioFormat>

namespace zov {
namespace media {

// 16 kHz mono signed 16-bit little-endian PCM: what the microphone meter asks devices
// for and what the bundled test sound is stored in.
QAudioFormat pcm16kMonoFormat();

} // namespace media
} // namespace zov
