#!/usr/bin/env bash
# Builds the program and saves a screenshot of each page of the main window,
# taken on a virtual X display, into the folder given (default: screenshots/).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-screenshots}"

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target page_screenshots
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb ./build/tools/page_screenshots "$out"
