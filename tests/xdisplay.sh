#!/usr/bin/env bash
# Starts or stops a virtual X display (Xvfb) with a system tray host (trayer)
# for the tests that need a real display.
#   xdisplay.sh start DIR   writes the display name to DIR/display
#   xdisplay.sh stop DIR
set -u
cmd="${1:?start or stop}"
dir="${2:?state folder}"
mkdir -p "$dir"

stop() {
  if [ -f "$dir/pids" ]; then
    while read -r pid; do kill "$pid" 2>/dev/null; done < "$dir/pids"
    rm -f "$dir/pids"
  fi
}

if [ "$cmd" = stop ]; then
  stop
  exit 0
fi

stop
n=90
while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
display=":$n"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
echo $! > "$dir/pids"
for _ in $(seq 1 50); do
  DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
if ! DISPLAY="$display" xdpyinfo >/dev/null 2>&1; then
  echo "Xvfb did not start on $display" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
DISPLAY="$display" trayer --edge top --align right --widthtype pixel --width 200 --heighttype pixel --height 32 \
  >"$dir/trayer.log" 2>&1 &
echo $! >> "$dir/pids"
# Wait until the tray host owns the system tray selection.
for _ in $(seq 1 50); do
  if DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -qi 'panel\|trayer'; then break; fi
  sleep 0.1
done
echo "$display" > "$dir/display"
echo "X display $display with a tray host is up"
