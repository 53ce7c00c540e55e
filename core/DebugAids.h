#pragma once

namespace zov {

// Whether this build carries the aids for development and tests: the web engine's
// remote debugging ports and the ZOV_API_HOST / ZOV_EXTRA_CA_FILE overrides. A release
// build leaves them out, since any local user could reach a debugging port and drive the
// student's pages, and an override would send the student's token elsewhere.
bool debugAidsEnabled();

} // namespace zov
