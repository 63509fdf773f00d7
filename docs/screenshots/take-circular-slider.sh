#!/usr/bin/env bash
# Takes docs/screenshots/circular-slider.png: two circular sliders at different
# values, rendered offscreen by the slider's picture program.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${TARNIK_BUILD_DIR:-build}
TARNIK_JOBS=${TARNIK_JOBS:-3} scripts/build | tail -n 1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen HOME="$tmp" XDG_RUNTIME_DIR="$tmp" TARNIK_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  "$build/bin/shot_CircularSlider" >/dev/null
echo docs/screenshots/circular-slider.png
