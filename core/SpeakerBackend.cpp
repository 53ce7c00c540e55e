#include "core/SpeakerBackend.h"

namespace zov {
namespace player {

SpeakerBackend::SpeakerBackend(QObject* parent)
    : QObject(parent)
{ }

SpeakerBackend::~SpeakerBackend() = default;

} // namespace player
} // namespace zov
