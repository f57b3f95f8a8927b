#!/bin/sh
# Start-up of the program beside a minimal Qt Widgets window, on a virtual X
# display: the time until the window is visible, the resident memory 3 s
# after start, and whether OpenCV's video input is mapped. Run from the
# project root after building the benchmarks (see the README).
set -eu
program=$(realpath "${1:-build-bench/app/vopa-qrcode}")
minimal=$(realpath "${2:-build-bench/bench/minimal_window}")
runs=${RUNS:-5}
display=:97
Xvfb $display -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
state=$(mktemp -d)
measure() { # name, window title, command
  for run in $(seq "$runs"); do
    start=$(date +%s%N)
    (cd "$state" && DISPLAY=$display QT_QPA_PLATFORM=xcb VOPA_UPDATE_URL=http://127.0.0.1:9 "$3" >/dev/null 2>&1) &
    # xdotool's own --sync waits half a second between looks: poll every 10 ms.
    tries=0
    until DISPLAY=$display xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do
      tries=$((tries + 1)); [ $tries -lt 3000 ] || break; sleep 0.01
    done
    shown=$(( ($(date +%s%N) - start) / 1000000 ))
    sleep 3
    pid=$(pgrep -n -f "$3")
    rss=$(awk '/VmRSS/ {print $2}' /proc/"$pid"/status)
    videoio=$(grep -c opencv_videoio /proc/"$pid"/maps || true)
    kill "$pid"; wait 2>/dev/null || true
    echo "$1 $shown $((rss / 1024)) $videoio"
  done | sort -k2 -n | awk -v n="$runs" '{a[NR]=$0} END {print a[int((n + 1) / 2)]}'
}
echo "| program | time to the visible window (median of $runs) | resident 3 s after start | opencv_videoio mapped |"
echo "|---|---|---|---|"
measure minimal "minimal window" "$minimal" | awk '{print "| minimal Qt Widgets window | " $2 " ms | " $3 " MB | " ($4 > 0 ? "yes" : "no") " |"}'
measure program "Vopa" "$program" | awk '{print "| vopa-qrcode | " $2 " ms | " $3 " MB | " ($4 > 0 ? "yes" : "no") " |"}'
