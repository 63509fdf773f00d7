#!/usr/bin/env bash
# Takes docs/screenshots/browser-select.png and share-sheet.png: under Xvfb (a
# desktop-sized screen, the window as the app opens it), a picture program of
# the browser inside the app's tab bar makes a folder of tagged songs with
# cover art and a video (ffmpeg), chooses three songs in edit mode and opens
# the import destinations, then opens a song's share sheet from its row, and
# writes the window's picture at each step.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb
TARNIK_BROWSER_ACTION_SHOTS="$PWD/docs/screenshots" \
  "$build/bin/shot_BrowserActions"
