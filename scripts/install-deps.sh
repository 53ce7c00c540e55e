#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the client.
# Safe to run again: apt-get only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  qtbase5-dev qtbase5-dev-tools qtwebengine5-dev libqt5webchannel5-dev
  libqt5websockets5-dev qtdeclarative5-dev qtmultimedia5-dev libqt5svg5-dev
  qttools5-dev qttools5-dev-tools qttranslations5-l10n
  qml-module-qtquick2 qml-module-qtquick-controls qml-module-qtquick-shapes
  qml-module-qtquick-window2 qml-module-qtwebchannel
  libqt5multimedia5-plugins
  libcurl4-openssl-dev libmpv-dev libcpp-httplib-dev libssl-dev openssl
  libbenchmark-dev libspdlog-dev
  curl p7zip-full ffmpeg mpv python3
  libxcb1-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-noto-cjk dbus
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "All build and test packages are installed."
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
