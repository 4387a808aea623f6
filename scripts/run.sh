#!/usr/bin/env bash
# Installs what the player needs, builds it and starts it. With no display, it starts under a
# virtual X server so it still runs (headless machines, CI).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a build/velmora/velmora "$@"
fi
exec build/velmora/velmora "$@"
