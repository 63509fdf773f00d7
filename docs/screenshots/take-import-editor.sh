#!/usr/bin/env bash
# Takes docs/screenshots/import-editor.png and kinds-menu.png: under Xvfb (a
# desktop-sized screen), the import editor's picture program generates a tagged
# song with cover art (ffmpeg), opens it in the editor in the window as the app
# opens it, writes the window's picture, opens the menu of kinds from the title
# and writes that.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb
TARNIK_IMPORT_EDITOR_SCREENSHOT="$PWD/docs/screenshots/import-editor.png" \
  "$build/bin/shot_ImportEditor"
