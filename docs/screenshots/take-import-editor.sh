#!/usr/bin/env bash
# Takes docs/screenshots/import-editor.png: under Xvfb, the import editor's
# picture test generates a tagged song with cover art (ffmpeg), opens it in
# the editor and writes the window's picture.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${TARNIK_BUILD_DIR:-build}
if [ -z "${INSIDE_XVFB:-}" ]; then
  exec env INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 800x900x24" "$0" "$@"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp"/{home,data,cache,config,runtime}
chmod 700 "$tmp/runtime"
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache"
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
export QT_QPA_PLATFORM=xcb
TARNIK_IMPORT_EDITOR_SCREENSHOT="$PWD/docs/screenshots/import-editor.png" \
  "$build/bin/test_ImportEditor" --gtest_filter='ImportEditorScreenshot.Take'
