#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the run use, and nothing else.
# Idempotent; run as root (a developer who has them all needs no root).
set -euo pipefail
packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libxkbcommon-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libbz2-dev unicode-data            # the pinyin table is made from Unihan's readings
  libzip-dev zlib1g-dev              # skin archives (Plugins/explain.dll); the tests make their own
  libgtest-dev libgmock-dev
  libx11-dev libxss-dev              # the X server's own screen saver, held off while a video plays
  libmms-dev                         # mms:// streams, read by our own source element
  # run: Qt's platform plug-ins (xcb, offscreen), the GStreamer elements that decode and show
  # what the player plays, gst-launch for the screenshot script, the interface fonts
  qt6-qpa-plugins libzip4 libmms0
  qt6-translations-l10n              # Qt's own buttons and dialogs in Chinese
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-tools
  fonts-arphic-uming fonts-dejavu-core
  # a virtual X server for scripts/run.sh on a machine with no display
  xvfb xauth
  # the player's own file types and icons on the desktop (update-mime-database), and gio, with
  # which the desktop tests see them as a file manager does
  shared-mime-info libglib2.0-bin hicolor-icon-theme
  # the desktop tests: a window manager, a tray host, synthetic input
  openbox trayer xdotool x11-utils
  # and a session bus of their own, as a desktop session has
  dbus-daemon
  # the DVD graph's tests author a small DVD folder
  dvdauthor
)
missing=()
for package in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$package")
  fi
done
[ "${#missing[@]}" -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
