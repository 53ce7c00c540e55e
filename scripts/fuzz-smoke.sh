#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly.
set -euo pipefail
source "$(dirname "$0")/common.sh"

fuzz_build=$ROOT_DIR/build-fuzz
cmake -S "$ROOT_DIR" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DZOV_BUILD_FUZZ=ON -DZOV_BUILD_TESTS=OFF -DZOV_BUILD_BENCH=OFF >/dev/null
cmake --build "$fuzz_build" -j "$(nproc)" --target fuzz_remoteconfig fuzz_logmessage \
  fuzz_uploadarguments fuzz_jsrequest fuzz_updatereply fuzz_replayinfo fuzz_replaydata fuzz_packetcontent \
  fuzz_bridgedispatch fuzz_replaydownloadlist fuzz_socketlines fuzz_httpreply \
  fuzz_devicescore fuzz_livecontrol fuzz_uploadconfig
seconds=${ZOV_FUZZ_SECONDS:-15}
work=$(mktemp -d)
cp -r "$ROOT_DIR/fuzz/corpus/remoteconfig" "$work/remoteconfig"
cp -r "$ROOT_DIR/fuzz/corpus/uploadarguments" "$work/uploadarguments"
cp -r "$ROOT_DIR/fuzz/corpus/jsrequest" "$work/jsrequest"
cp -r "$ROOT_DIR/fuzz/corpus/updatereply" "$work/updatereply"
cp -r "$ROOT_DIR/fuzz/corpus/replayinfo" "$work/replayinfo"
cp -r "$ROOT_DIR/fuzz/corpus/replaydata" "$work/replaydata"
cp -r "$ROOT_DIR/fuzz/corpus/packetcontent" "$work/packetcontent"
cp -r "$ROOT_DIR/fuzz/corpus/bridgedispatch" "$work/bridgedispatch"
cp -r "$ROOT_DIR/fuzz/corpus/replaydownloadlist" "$work/replaydownloadlist"
mkdir -p "$work/socketlines"
cp -r "$ROOT_DIR/fuzz/corpus/httpreply" "$work/httpreply"
cp -r "$ROOT_DIR/fuzz/corpus/devicescore" "$work/devicescore"
mkdir -p "$work/logmessage"
cp -r "$ROOT_DIR/fuzz/corpus/livecontrol" "$work/livecontrol"
cp -r "$ROOT_DIR/fuzz/corpus/uploadconfig" "$work/uploadconfig"
# Qt 5.15's JSON parser leaks a few bytes when a key repeats with an array or object
# as its value ({"d":{"a":[1],"a":[2]}}); that is
# Qt's, not ours, so leak checking stays off and AddressSanitizer watches the rest.
export ASAN_OPTIONS=detect_leaks=0
options=(-max_total_time="$seconds" -artifact_prefix="$work/")
"$fuzz_build/fuzz/fuzz_remoteconfig" "${options[@]}" "$work/remoteconfig"
"$fuzz_build/fuzz/fuzz_logmessage" "${options[@]}" -max_len=70000 "$work/logmessage"
"$fuzz_build/fuzz/fuzz_uploadarguments" "${options[@]}" "$work/uploadarguments"
"$fuzz_build/fuzz/fuzz_jsrequest" "${options[@]}" "$work/jsrequest"
"$fuzz_build/fuzz/fuzz_updatereply" "${options[@]}" "$work/updatereply"
"$fuzz_build/fuzz/fuzz_replayinfo" "${options[@]}" "$work/replayinfo"
"$fuzz_build/fuzz/fuzz_replaydata" "${options[@]}" "$work/replaydata"
"$fuzz_build/fuzz/fuzz_packetcontent" "${options[@]}" "$work/packetcontent"
"$fuzz_build/fuzz/fuzz_bridgedispatch" "${options[@]}" "$work/bridgedispatch"
"$fuzz_build/fuzz/fuzz_replaydownloadlist" "${options[@]}" "$work/replaydownloadlist"
"$fuzz_build/fuzz/fuzz_socketlines" "${options[@]}" -max_len=2200000 "$work/socketlines"
"$fuzz_build/fuzz/fuzz_httpreply" "${options[@]}" -max_len=140000 "$work/httpreply"
"$fuzz_build/fuzz/fuzz_devicescore" "${options[@]}" "$work/devicescore"
"$fuzz_build/fuzz/fuzz_livecontrol" "${options[@]}" "$work/livecontrol"
"$fuzz_build/fuzz/fuzz_uploadconfig" "${options[@]}" "$work/uploadconfig"
rm -rf "$work"
echo "Fuzzing smoke run: ok"
