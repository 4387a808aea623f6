#!/usr/bin/env bash
# A picture of the player as a user sees it: a copy of the built install folder runs under a
# virtual X server, playing a short test video it makes, so the main window, equaliser,
# playlist, station browser and video window all show in the installed skin.
#   bash scripts/screenshot.sh [picture.png]      (default: screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh >/dev/null
out=$(realpath -m "${1:-screenshot.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r build/velmora "$work/player"
rm -f "$work/player/setup.ini" "$work/player/velmora.kpl"
gst-launch-1.0 -q videotestsrc num-buffers=250 ! video/x-raw,width=320,height=240,framerate=25/1 ! \
  videoconvert ! x264enc speed-preset=ultrafast ! h264parse ! mp4mux ! filesink location="$work/clip.mp4"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" VELMORA_AUDIO_SINK=fakesink
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$0/player/velmora" "$0/clip.mp4" & pid=$!
  sleep 4
  gst-launch-1.0 -q ximagesrc num-buffers=1 ! videoconvert ! pngenc ! filesink location="$1"
  kill "$pid"; wait "$pid" || true' "$work" "$out"
echo "$out"
