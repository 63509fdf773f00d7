#!/usr/bin/env bash
# Takes docs/screenshots/trimmer.png, volume-editor.png and circular-slider.png:
# the two audio tools on a 20 s song that ffmpeg makes here, drawn under Xvfb
# (a desktop-sized screen) in the window as the app opens it by the tools'
# picture program; the last shows the volume editor's sliders with the system
# volume below its maximum.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=20" \
  -c:a libmp3lame -b:a 128k "$tmp/song.mp3"
TARNIK_SCREENSHOT_DIR="$PWD/docs/screenshots" TARNIK_SCREENSHOT_AUDIO="$tmp/song.mp3" \
  "$build/bin/shot_Tools" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
echo docs/screenshots/trimmer.png docs/screenshots/volume-editor.png docs/screenshots/circular-slider.png
