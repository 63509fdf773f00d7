#!/usr/bin/env bash
# Takes docs/screenshots/guide.png, ringtones.png and settings.png: starts the
# built app under Xvfb with a throw-away home holding three ringtones made by
# ffmpeg and their catalogue, taps the tabs with XTest (through Python's
# ctypes, so nothing beyond Xvfb is needed) and grabs the window with ffmpeg.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home

# The app's home is its documents folder when /var/mobile is missing.
purchases="$XDG_DATA_HOME/tarnik/Documents/Media/Purchases"
mkdir -p "$purchases"
entries=""
i=0
for name in "Morning Bell" "Soft Chime" "Marimba Loop"; do
  i=$((i + 1))
  file="tone-$i.m4r"
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "sine=frequency=$((440 * i)):duration=3" -c:a aac \
    -f ipod "$purchases/$file"
  entries="$entries<key>$file</key><dict><key>Name</key><string>$name</string>"
  entries="$entries<key>Total Time</key><integer>3000</integer></dict>"
done
cat >"$purchases/Ringtones.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>Ringtones</key><dict>$entries</dict></dict></plist>
PLIST

tap() {
  python3 - "$1" "$2" <<'PY'
import ctypes, sys, time
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x11.XOpenDisplay(None))
xtst.XTestFakeMotionEvent(display, -1, int(sys.argv[1]), int(sys.argv[2]), 0)
x11.XFlush(display)
time.sleep(0.2)
xtst.XTestFakeButtonEvent(display, 1, 1, 0)
xtst.XTestFakeButtonEvent(display, 1, 0, 0)
x11.XFlush(display)
PY
}
grab() { grab_window Tarnik "docs/screenshots/$1.png"; }

"$build/bin/tarnik" >"$tmp/app.log" 2>&1 &
pid=$!
sleep 4
# The app opens at its default size; the tabs share the bottom bar of its window.
read -r width height left top < <(window_geometry Tarnik)
tab_y=$((top + height - 25))
tab() { tap $((left + (2 * $1 + 1) * width / 8)) "$tab_y"; sleep 1.5; }
tab 0
grab guide
tab 2
grab ringtones
tab 3
grab settings
kill "$pid"
