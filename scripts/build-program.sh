#!/usr/bin/env bash
# Installs what is missing, configures build/ and builds the program the way
# the start command does: the vopa-qrcode target alone, which brings the camera
# module it loads at run time. Extra arguments go to the configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j "$(nproc)" --target vopa-qrcode
