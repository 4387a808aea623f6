#!/usr/bin/env bash
# Installs what the player needs, builds it and starts it. With no display, it starts under a
# virtual X server so it still runs (headless machines, CI).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
# Qt and the player's session want a private runtime folder; a bare root shell has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a build/velmora/velmora "$@"
fi
exec build/velmora/velmora "$@"
