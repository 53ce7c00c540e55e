#!/usr/bin/env bash
# Runs every test: installs what is missing, builds with warnings as errors, checks the
# formatting, then runs the whole suite under a private Xvfb display.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT_DIR/scripts/install-deps.sh"
"$ROOT_DIR/scripts/check-format.sh"
"$ROOT_DIR/scripts/build.sh" -DZOV_WERROR=ON

prepare_lesson_video
start_xvfb
allow_webengine_as_root
cd "$BUILD_DIR"
ctest --output-on-failure -j 2 --timeout 600

cd "$ROOT_DIR"
"$ROOT_DIR/scripts/fuzz-smoke.sh"
