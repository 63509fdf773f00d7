#!/usr/bin/env bash
# Takes docs/screenshots/trimmer.png and volume-editor.png: the two audio tools
# on a 20 s song that ffmpeg makes here, rendered offscreen in a phone-sized
# window by the tools' picture program.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${TARNIK_BUILD_DIR:-build}
TARNIK_JOBS=${TARNIK_JOBS:-3} scripts/build | tail -n 1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=20" \
  -c:a libmp3lame -b:a 128k "$tmp/song.mp3"
mkdir -p "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
QT_QPA_PLATFORM=offscreen HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" \
  TARNIK_SCREENSHOT_DIR="$PWD/docs/screenshots" TARNIK_SCREENSHOT_AUDIO="$tmp/song.mp3" \
  "$build/bin/shot_Tools" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
echo docs/screenshots/trimmer.png docs/screenshots/volume-editor.png
