#!/usr/bin/env bash
# Configures and builds everything (program, helper programs, local service, tests,
# benchmarks) and stages the installation in build/stage. Extra arguments go to cmake.
# The demo and the tests need the debugging aids (the local service's host and CA).
set -euo pipefail
source "$(dirname "$0")/common.sh"

cmake -S "$ROOT_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOV_DEBUG_AIDS=ON "$@"
cmake --build "$BUILD_DIR" -j "$(nproc)"
