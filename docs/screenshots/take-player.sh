#!/usr/bin/env bash
# Takes docs/screenshots/mini-player.png, full-player.png and video-player.png:
# makes a song with a cover and a short video with ffmpeg, then lets the
# player's picture program play them through the real player (under Xvfb, a
# desktop-sized screen, with a null-sink sound server) in the window as the app
# opens it, and grab the window at each screen.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home
export QT_QPA_PLATFORM=xcb

ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
# A cover: a warm gradient with a sun, no text.
ff -f lavfi -i "gradients=s=600x600:c0=0xff7a45:c1=0x6a1b9a:x0=0:y0=0:x1=600:y1=600:d=1" \
  -vf "drawbox=x=210:y=170:w=180:h=180:color=0xffd54f@0.9:t=fill" -frames:v 1 "$tmp/cover.png"
ff -f lavfi -i "sine=frequency=330:duration=200" -i "$tmp/cover.png" -map 0 -map 1 \
  -c:a libmp3lame -b:a 128k -c:v png -disposition:v attached_pic -id3v2_version 3 \
  -metadata title="Evening Lights Over The Harbour" -metadata artist="The Example Quartet" \
  -metadata album="Long Summer" "$tmp/song.mp3"
ff -f lavfi -i "testsrc2=size=640x360:rate=25:duration=20" -f lavfi -i "sine=frequency=440:duration=20" \
  -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$tmp/clip.mp4"

# The browser behind the mini player shows the song's folder: put two more songs beside it, so the
# picture shows a real listing.
docs="$tmp/data/tarnik/Documents"
mkdir -p "$docs"
cp "$tmp/song.mp3" "$docs/Evening Lights.mp3"
ff -f lavfi -i "sine=frequency=440:duration=150" -metadata title="Northern Road" -metadata artist="Mira Vale" \
  -c:a libmp3lame -b:a 96k "$docs/Northern Road.mp3"
ff -f lavfi -i "sine=frequency=523:duration=180" -metadata title="Quiet Harbour" -metadata artist="The Lanterns" \
  -c:a aac "$docs/Quiet Harbour.m4a"
export TARNIK_SHOT_SONG="$docs/Evening Lights.mp3"
export TARNIK_SHOTS="$PWD/docs/screenshots" TARNIK_SHOT_VIDEO="$tmp/clip.mp4"
dbus-run-session -- scripts/lib/with-null-sink "$build/bin/shot_Player"
