#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the run need. Idempotent; run as root.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins
  libgl-dev libxkbcommon-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libgstreamer-plugins-bad1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-tools
  libjpeg-dev libzip-dev libbz2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-arphic-uming fonts-dejavu-core locales
  unicode-data
  xvfb xauth
)
# Nothing to do when every package is there already (also lets a non-root developer build).
if dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -qv '^install ok installed$'; then
  :
elif [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | wc -l)" -eq "${#packages[@]}" ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root (it calls apt-get)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${packages[@]}"
