#!/usr/bin/env bash
# Takes docs/screenshots/shell.png: starts the built app under Xvfb with a
# throw-away home, lets a second instance hand it a link that selects the
# Files tab, and grabs the window with ffmpeg's X11 capture.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${TARNIK_BUILD_DIR:-build}
if [ -z "${INSIDE_XVFB:-}" ]; then
  exec env INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 420x780x24" "$0" "$@"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp"/{home,data,cache,config,runtime}
chmod 700 "$tmp/runtime"
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache"
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
"$build/bin/tarnik" >"$tmp/app.log" 2>&1 &
pid=$!
sleep 4
"$build/bin/tarnik" "tarnik://?locate=%2Ftmp"
sleep 1
ffmpeg -hide_banner -loglevel error -y -f x11grab -draw_mouse 0 -video_size 420x780 -i "$DISPLAY+0,0" \
  -frames:v 1 docs/screenshots/shell.png
kill "$pid"
