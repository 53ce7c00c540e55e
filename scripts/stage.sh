#!/usr/bin/env bash
# Stages the installation (config.ini beside the version folder). With an argument,
# copies the staged installation to that folder as well.
set -euo pipefail
source "$(dirname "$0")/common.sh"

cmake --build "$BUILD_DIR" --target stage
if [ $# -ge 1 ]; then
  mkdir -p "$1"
  cp -a "$STAGE_DIR"/. "$1"/
  echo "Staged into $1"
else
  echo "Staged into $STAGE_DIR"
fi
