#!/bin/sh
# Peak resident memory of decoding a blank 20,000 x 20,000 PNG from its file,
# beside reading that picture whole. Run from the project root after building
# the benchmarks (see the README).
set -eu
tool=${1:-build-bench/bench/decode_memory}
picture=$(mktemp --suffix=.png)
trap 'rm -f "$picture"' EXIT
"$tool" make "$picture"
for mode in whole decode; do
  peak=$(/usr/bin/time -f %M "$tool" "$mode" "$picture" 2>&1 >/dev/null | tail -n 1)
  echo "$mode: peak $((peak / 1024)) MB"
done
