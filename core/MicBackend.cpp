#include "core/MicBackend.h"

namespace zov {
namespace capture {

MicBackend::MicBackend(QObject* parent)
    : QObject(parent)
{ }

MicBackend::~MicBackend() = default;

} // namespace capture
} // namespace zov
