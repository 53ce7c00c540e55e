#!/usr/bin/env bash
# Runs the program against the local stand-in service: installs what is missing,
# builds, stages, starts the service, then the staged program. Without a display it
# starts Xvfb and says where to look.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT_DIR/scripts/install-deps.sh"
"$ROOT_DIR/scripts/build.sh"

state_dir=$BUILD_DIR/demo-service
mkdir -p "$state_dir"
service_log=$state_dir/service.out
"$BUILD_DIR/service/zov_local_service" --https-port 0 --http-port 0 --state "$state_dir" >"$service_log" 2>&1 &
service_pid=$!
cleanup() { kill "$service_pid" 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT

for _ in $(seq 100); do
  grep -q '^READY' "$service_log" 2>/dev/null && break
  sleep 0.1
done
grep -q '^READY' "$service_log" || { echo "The local service did not start:"; cat "$service_log"; exit 1; }
api_url=$(sed -n 's/^API //p' "$service_log")
export ZOV_API_HOST=${api_url#https://}
export ZOV_EXTRA_CA_FILE=$(sed -n 's/^CA //p' "$service_log")
echo "Local service: $api_url, pages at $(sed -n 's/^WEB //p' "$service_log")"

if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
  trap cleanup EXIT
  echo "No display: running on Xvfb $DISPLAY (take a screenshot with: import -display $DISPLAY -window root shot.png)"
fi
allow_webengine_as_root
"$STAGE_DIR/$VERSION/zovwx1v1_Student"
