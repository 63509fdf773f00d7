#!/usr/bin/env bash
# Takes docs/screenshots/import-editor.png: under Xvfb, the import editor's
# picture program generates a tagged song with cover art (ffmpeg), opens it in
# the editor and writes the window's picture.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "800x900" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb
TARNIK_IMPORT_EDITOR_SCREENSHOT="$PWD/docs/screenshots/import-editor.png" \
  "$build/bin/shot_ImportEditor"
