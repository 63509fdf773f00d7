#!/usr/bin/env bash
# Takes docs/screenshots/controls.png: under Xvfb (a desktop-sized screen), the
# control kit's picture program opens the app's root screens in the window as
# the app opens it, shows a folder of generated songs in the Files tab with the
# loader of an import, pulls the list down and writes the window's picture.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb
TARNIK_CONTROLS_SCREENSHOT="$PWD/docs/screenshots/controls.png" \
  "$build/bin/shot_Controls"
