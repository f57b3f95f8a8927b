#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOPA_BUILD_TESTS=ON
cmake --build build -j "$(nproc)"
cd build
ctest --output-on-failure -j "$(nproc)"
