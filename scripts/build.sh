#!/usr/bin/env bash
# Configures and builds everything into build/ (the runnable install folder is build/velmora/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
