#!/bin/sh
# Peak resident memory of reading a 20,000 x 20,000 picture of each kind for
# decoding, beside reading that picture whole with Qt's reader. Run from the
# project root after building the benchmarks (see the README).
set -eu
tool=${1:-build-bench/bench/decode_memory}
picture=$(mktemp)
trap 'rm -f "$picture"' EXIT
echo "| picture | read whole | read for decoding | what decoding got |"
echo "|---|---|---|---|"
for kind in grey palette rgb16 interlaced rgb rgba baseline progressive bmp; do
  "$tool" make "$kind" "$picture"
  whole=$(/usr/bin/time -f %M "$tool" whole "$picture" 2>&1 >/dev/null | tail -n 1)
  decode=$(/usr/bin/time -f %M "$tool" decode "$picture" 2>&1 >/dev/null | tail -n 1)
  got=$("$tool" decode "$picture" 2>/dev/null | sed 's/^decode: //')
  echo "| $kind | $((whole / 1024)) MB | $((decode / 1024)) MB | $got |"
done
