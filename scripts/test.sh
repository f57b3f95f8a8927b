#!/usr/bin/env bash
# Installs what is missing, builds the program as the start command does and
# checks its camera module came with it, then builds everything and runs every
# test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

# A module left by an earlier full build would hide a program build that no
# longer brings it.
module=build/app/vopa-camera.so
rm -f "$module"
bash scripts/build-program.sh -DVOPA_BUILD_TESTS=ON
if [ ! -f "$module" ]; then
  echo "FAIL: building the program (target vopa-qrcode, as scripts/run.sh does) did not build $module;" \
       "the camera would not open and the install would fail" >&2
  exit 1
fi
cmake --build build -j "$(nproc)"
cd build
ctest --output-on-failure -j "$(nproc)"
