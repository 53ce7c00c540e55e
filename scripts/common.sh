# Shared by the scripts: where things are, and a private X display when there is none.
ROOT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${ZOV_BUILD_DIR:-$ROOT_DIR/build}
STAGE_DIR=$BUILD_DIR/stage
VERSION=1.6.7.0

# Starts Xvfb on a free display number and exports DISPLAY; the server ends with the script.
start_xvfb() {
  local display
  for display in $(seq 90 140); do
    if [ ! -e /tmp/.X11-unix/X$display ] && [ ! -e /tmp/.X$display-lock ]; then
      Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      for _ in $(seq 50); do
        [ -e /tmp/.X11-unix/X$display ] && break
        sleep 0.1
      done
      export DISPLAY=":$display"
      trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
      return 0
    fi
  done
  echo "No free X display number for Xvfb" >&2
  return 1
}

# The web engine refuses to start as root with its sandbox on.
allow_webengine_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
  fi
}

# Starts the local service once so that it makes the lesson video every replay test plays
# (about twenty seconds the first time), then stops it: no single test pays for it.
prepare_lesson_video() {
  local state log pid
  state=$(mktemp -d)
  log=$state/service.out
  "$BUILD_DIR/service/zov_local_service" --state "$state" --media "$BUILD_DIR/service-media" \
    >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 3600); do
    grep -q '^READY' "$log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep -q '^READY' "$log" || { echo "The local service could not make its lesson video:"; cat "$log"; rm -rf "$state"; return 1; }
  rm -rf "$state"
}
