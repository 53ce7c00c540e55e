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
# The lesson video is the one the tests of this build use; the first start makes it, which
# takes a while.
"$BUILD_DIR/service/zov_local_service" --https-port 0 --http-port 0 --state "$state_dir" \
  --media "$BUILD_DIR/service-media" >"$service_log" 2>&1 &
service_pid=$!
cleanup() { kill "$service_pid" 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT

for _ in $(seq 3000); do
  grep -q '^READY' "$service_log" 2>/dev/null && break
  kill -0 "$service_pid" 2>/dev/null || break
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

# With ZOV_DEMO_VIEWER=1 the support tool opens the service's recorded lesson with its
# whiteboard instead of the program; ZOV_DEMO_AT=SECONDS opens it there.
if [ -n "${ZOV_DEMO_VIEWER:-}" ]; then
  cd "$STAGE_DIR/$VERSION"
  ./ZovReplayViewer --lesson "$api_url/olbusiness/api/playback/getReplayEnterUrl?planId=20475" \
    ${ZOV_DEMO_AT:+--at "$ZOV_DEMO_AT"}
  exit $?
fi

# With ZOV_DEMO_UPDATE=force|optional|silent the service announces version 1.6.8.0, a
# full package built from the staged program. The update rewrites its installation, so
# the demo then runs from a fresh copy of the stage instead of the stage itself.
install_dir=$STAGE_DIR
if [ -n "${ZOV_DEMO_UPDATE:-}" ]; then
  case $ZOV_DEMO_UPDATE in
    force) update_type=2 ;;
    optional) update_type=1 ;;
    silent) update_type=0 ;;
    *) echo "ZOV_DEMO_UPDATE must be force, optional or silent" >&2; exit 1 ;;
  esac
  new_version=1.6.8.0
  install_dir=$BUILD_DIR/demo-install
  rm -rf "$install_dir"
  cp -a "$STAGE_DIR" "$install_dir"
  package_source=$(mktemp -d)
  cp -a "$STAGE_DIR/$VERSION" "$package_source/$new_version"
  mkdir -p "$state_dir/packages"
  package=$state_dir/packages/zov_$new_version.zip
  rm -f "$package"
  (cd "$package_source" && 7za a -tzip -mx1 -bd "$package" "$new_version" >/dev/null)
  rm -rf "$package_source"
  md5=$(md5sum "$package" | cut -d' ' -f1)
  curl -sf --cacert "$ZOV_EXTRA_CA_FILE" -H 'Content-Type: application/json' \
    -d "{\"scenario\":\"update\",\"version\":\"$new_version\",\"updateType\":$update_type,\"packType\":1,\"md5\":\"$md5\",\"updateMsg\":\"1. 回放支持倍速播放\\n2. 修复上课时偶发的卡顿\",\"urls\":[\"/packages/zov_$new_version.zip?slow=1\"]}" \
    "$api_url/control/version" >/dev/null
  echo "Announcing a $ZOV_DEMO_UPDATE update to $new_version; the demo installation is $install_dir"
fi
status=0
"$install_dir/$VERSION/zovwx1v1_Student" || status=$?
# After "立即重启" the new version runs detached from this script, from its own folder;
# the service has to stay up for it until it ends too.
while pgrep -f "^$install_dir/[^/]*/zovwx1v1_Student" >/dev/null; do
  sleep 1
done
exit "$status"
