#!/usr/bin/env bash
# Takes docs/screenshots/controls.png: under Xvfb, the control kit's picture
# test opens the app's root screens (Files tab) at tablet size and shows a
# pulled refresher, a spinner, the loader with a message and an open
# dropdown menu of the media kinds, then writes the window's picture.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${TARNIK_BUILD_DIR:-build}
if [ -z "${INSIDE_XVFB:-}" ]; then
  exec env INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1024x1100x24" "$0" "$@"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp"/{home,data,cache,config,runtime}
chmod 700 "$tmp/runtime"
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache"
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
export QT_QPA_PLATFORM=xcb
TARNIK_CONTROLS_SCREENSHOT="$PWD/docs/screenshots/controls.png" \
  "$build/bin/test_Controls" --gtest_filter='ControlsScreenshot.Take'
