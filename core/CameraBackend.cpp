#include "core/CameraBackend.h"

namespace zov {
namespace capture {

CameraBackend::CameraBackend(QObject* parent)
    : QObject(parent)
{ }

CameraBackend::~CameraBackend() = default;

} // namespace capture
} // namespace zov
