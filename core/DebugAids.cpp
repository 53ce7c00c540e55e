#include "core/DebugAids.h"

// The build chooses, through the ZOV_DEBUG_AIDS option; this file alone reads it.
#ifndef ZOV_DEBUG_AIDS
#error "ZOV_DEBUG_AIDS must be defined as 0 or 1"
#endif

namespace zov {

bool debugAidsEnabled()
{
    return ZOV_DEBUG_AIDS != 0;
}

} // namespace zov
