#!/usr/bin/env bash
# Fails when a C++ file of ours is not formatted with the repository's .clang-format.
set -euo pipefail
source "$(dirname "$0")/common.sh"

cd "$ROOT_DIR"
files=$(git ls-files '*.cpp' '*.h')
[ -n "$files" ] || exit 0
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
echo "Formatting: ok"
