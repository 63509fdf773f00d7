#!/usr/bin/env bash
# Takes docs/screenshots/browser-list.png, browser-grid.png and browser-wide.png:
# makes a folder of real media (tagged songs with artwork, a video, pictures, a
# document and a folder) with ffmpeg, starts the built app under Xvfb (a
# desktop-sized screen) with a throw-away home, lets a second instance open
# that folder, and grabs the window at the size a first start gives it. The
# grid shot starts from a settings file that chooses the grid; the wide shot
# resizes the list's window as a user would, into the tablet layout.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }

media="$tmp/Music"
mkdir -p "$media/Podcasts"
cover() { ff -f lavfi -i "$1=size=300x300:rate=1" -frames:v 1 "$2"; }
cover testsrc "$tmp/cover1.png"
cover smptebars "$tmp/cover2.png"
cover "mandelbrot" "$tmp/cover3.png"
song() { # file title artist cover frequency
  ff -f lavfi -i "sine=frequency=$5:duration=3" -i "$4" -map 0:a -map 1:v -c:a libmp3lame -b:a 96k \
    -c:v mjpeg -disposition:v attached_pic -id3v2_version 3 \
    -metadata title="$2" -metadata artist="$3" -metadata album="Demo" "$media/$1"
}
song "Morning Light.mp3" "Morning Light" "The Lanterns" "$tmp/cover1.png" 440
song "Harbour Song.mp3" "Harbour Song" "Mira Vale" "$tmp/cover2.png" 523
song "Long Road.mp3" "Long Road" "North Quarter" "$tmp/cover3.png" 330
ff -f lavfi -i "sine=frequency=600:duration=3" -c:a libvorbis -metadata title="Field Recording" \
  -metadata artist="Anna Roe" "$media/Field Recording.ogg"
ff -f lavfi -i "testsrc2=size=320x240:rate=25:duration=2" -f lavfi -i "sine=duration=2" -c:v libx264 \
  -pix_fmt yuv420p -c:a aac -shortest -metadata title="Street Clip" "$media/Street Clip.mp4"
ff -f lavfi -i "gradients=size=400x300:seed=3" -frames:v 1 "$media/Sunset.jpg"
ff -f lavfi -i "cellauto=size=300x300" -frames:v 1 "$media/Pattern.png"
printf 'Track list\n1. Morning Light\n2. Harbour Song\n' >"$media/Notes.txt"

shoot() { # list|grid output [wide output]
  local run="$tmp/run-$1"
  mkdir -p "$run"/{home,data,cache,config,runtime}
  chmod 700 "$run/runtime"
  local prefs="$run/data/tarnik/Documents/Library/Preferences"
  mkdir -p "$prefs"
  local listView=true
  [ "$1" = grid ] && listView=false
  cat >"$prefs/com.quilmera.tarnik.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>isListView</key><$listView/><key>lastDirectory</key><string>$media</string></dict></plist>
PLIST
  HOME="$run/home" XDG_DATA_HOME="$run/data" XDG_CACHE_HOME="$run/cache" XDG_CONFIG_HOME="$run/config" \
    XDG_RUNTIME_DIR="$run/runtime" "$build/bin/tarnik" >"$run/app.log" 2>&1 &
  local pid=$!
  sleep 4
  HOME="$run/home" XDG_DATA_HOME="$run/data" XDG_CACHE_HOME="$run/cache" XDG_CONFIG_HOME="$run/config" \
    XDG_RUNTIME_DIR="$run/runtime" "$build/bin/tarnik" "tarnik://?locate=$(python3 -c 'import sys,urllib.parse;print(urllib.parse.quote(sys.argv[1],safe=""))' "$media")"
  sleep 3
  grab_window Tarnik "$2"
  if [ -n "${3:-}" ]; then
    resize_window Tarnik 1000 700
    sleep 2
    grab_window Tarnik "$3"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
shoot list docs/screenshots/browser-list.png docs/screenshots/browser-wide.png
shoot grid docs/screenshots/browser-grid.png
