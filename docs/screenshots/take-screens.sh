#!/usr/bin/env bash
# Takes docs/screenshots/guide.png, ringtones.png and settings.png with a song
# playing: starts the built app under Xvfb with a throw-away home holding three
# ringtones made by ffmpeg and their catalogue, and a song in the folder the
# browser opens at; plays the song from the Files tab, then shows the guide, the
# ringtones in edit mode with one chosen, and the settings scrolled to their
# end. Taps and scrolls go through XTest (Python's ctypes, so nothing beyond
# Xvfb is needed); ffmpeg grabs the window.
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

# A song with a cover and tags, in the folder the browser opens at.
music="$tmp/Music"
mkdir -p "$music"
ffmpeg -hide_banner -loglevel error -y -f lavfi \
  -i "gradients=s=300x300:c0=0xff7a45:c1=0x6a1b9a:x0=0:y0=0:x1=300:y1=300:d=1" -frames:v 1 "$tmp/cover.png"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "sine=frequency=330:duration=300" -i "$tmp/cover.png" \
  -map 0 -map 1 -c:a libmp3lame -b:a 96k -c:v png -disposition:v attached_pic -id3v2_version 3 \
  -metadata title="Evening Lights" -metadata artist="The Example Quartet" -metadata album="Long Summer" \
  "$music/Evening Lights.mp3"
prefs="$XDG_DATA_HOME/tarnik/Documents/Library/Preferences"
mkdir -p "$prefs"
cat >"$prefs/com.quilmera.tarnik.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>isListView</key><true/><key>lastDirectory</key><string>$music</string></dict></plist>
PLIST

# xtest BUTTON X Y [TIMES]: presses and releases a mouse button at a point of the
# screen (1 taps, 5 turns the wheel one notch down).
xtest() {
  python3 - "$@" <<'PY'
import ctypes, sys, time
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x11.XOpenDisplay(None))
button, x, y = (int(v) for v in sys.argv[1:4])
times = int(sys.argv[4]) if len(sys.argv) > 4 else 1
xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
x11.XFlush(display)
time.sleep(0.2)
for _ in range(times):
    xtst.XTestFakeButtonEvent(display, button, 1, 0)
    xtst.XTestFakeButtonEvent(display, button, 0, 0)
    x11.XFlush(display)
    time.sleep(0.05)
PY
}
tap() { xtest 1 "$1" "$2"; }
grab() { grab_window Tarnik "docs/screenshots/$1.png"; }

"$build/bin/tarnik" >"$tmp/app.log" 2>&1 &
pid=$!
sleep 4
# The app opens at its default size; the tabs share the bottom bar of its window.
read -r width height left top < <(window_geometry Tarnik)
tab_y=$((top + height - 25))
tab() { tap $((left + (2 * $1 + 1) * width / 8)) "$tab_y"; sleep 1.5; }
# The song's row, the first of the listing, starts it: the mini player comes up.
tab 1
tap $((left + width / 2)) $((top + 100))
sleep 2
tab 0
grab guide
# Edit, then the second ringtone chosen: the toolbar's Delete takes the mini player's place.
tab 2
tap $((left + width - 30)) $((top + 21))
sleep 1
tap $((left + width / 2)) $((top + 119))
sleep 1
grab ringtones
tap $((left + width - 30)) $((top + 21))
sleep 1
tab 3
xtest 5 $((left + width / 2)) $((top + height / 2)) 60
sleep 1.5
grab settings
kill "$pid"
