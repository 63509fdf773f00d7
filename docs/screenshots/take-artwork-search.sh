#!/usr/bin/env bash
# Takes docs/screenshots/artwork-search.png and image-viewer.png: under Xvfb (a
# desktop-sized screen, the window as the app opens it), the artwork search's
# picture program searches a loopback stand-in of the web service that serves
# covers drawn here by ffmpeg, writes the grid, then opens one cover in the
# image viewer and writes that.
set -euo pipefail
cd "$(dirname "$0")/../.."
. docs/screenshots/lib.sh
build=${TARNIK_BUILD_DIR:-build}
run_in_xvfb "$desktop_screen" "$0" "$@"
use_throwaway_home
mkdir -p "$tmp/covers"
export QT_QPA_PLATFORM=xcb
# Twelve square covers from ffmpeg's generated sources, each its own look.
sources=("mandelbrot=size=600x600:start_scale=0.6" "testsrc2=size=600x600" "smptehdbars=size=600x600"
  "gradients=size=600x600:seed=7:type=radial" "mandelbrot=size=600x600:start_x=-1.25:start_y=0.02:start_scale=0.02" "gradients=size=600x600:seed=3"
  "mandelbrot=size=600x600:start_x=-0.74:start_y=0.18:start_scale=0.05" "gradients=size=600x600:seed=11"
  "rgbtestsrc=size=600x600" "gradients=size=600x600:seed=5:type=circular" "gradients=size=600x600:seed=42"
  "mandelbrot=size=600x600:start_x=0.3:start_scale=0.3")
for i in "${!sources[@]}"; do
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "${sources[$i]}" -frames:v 1 \
    "$tmp/covers/$(printf 'cover%02d' "$i").png"
done
TARNIK_ARTWORK_SCREENSHOTS="$PWD/docs/screenshots" TARNIK_ARTWORK_COVERS="$tmp/covers" \
  "$build/bin/shot_ArtworkSearch"
