#!/usr/bin/env bash
# Installs what the build and tests need, builds, and runs every test. Exits non-zero when a
# test fails. Tests run on Qt's offscreen platform with fake audio sinks: no display or sound
# card is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 300
