#!/usr/bin/env bash
# Takes docs/screenshots/controls.png: under Xvfb, the control kit's picture
# program opens the app's root screens (Files tab) at tablet size and shows a
# pulled refresher, a spinner, the loader with a message and an open
# dropdown menu of the media kinds, then writes the window's picture.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "1024x1100" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb
TARNIK_CONTROLS_SCREENSHOT="$PWD/docs/screenshots/controls.png" \
  "$build/bin/shot_Controls"
