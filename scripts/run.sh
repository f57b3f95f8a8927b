#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in its state
# folder, where it keeps its settings and small state files.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target vopa-qrcode
program="$PWD/build/app/vopa-qrcode"
state="${XDG_STATE_HOME:-$HOME/.local/state}/vopa-qrcode"
mkdir -p "$state"
cd "$state"
exec "$program" "$@"
