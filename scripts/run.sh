#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in its state
# folder, where it keeps its settings and small state files.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-program.sh
program="$PWD/build/app/vopa-qrcode"
state="${XDG_STATE_HOME:-$HOME/.local/state}/vopa-qrcode"
mkdir -p "$state"
cd "$state"
exec "$program" "$@"
