#!/usr/bin/env bash
# Starts the real sondrix under a virtual X server from a fresh folder, waits for its window with
# the expected title and checks that it logged its opening into log.txt of its current folder and
# made its record folder beside the program file. Also that it ends cleanly without a display.
set -euo pipefail
title="ДУТ Конфигуратор 4.0"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/sondrix"
program="$work/sondrix"
cd "$work"

# Without a display FLTK ends the program through exit(): it must end cleanly and close its log.
status=0
env -u DISPLAY "$program" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || { echo "without a display sondrix ended with $status"; exit 1; }
grep -q "Closing logs" log.txt || { echo "log.txt not closed without a display:"; cat log.txt; exit 1; }

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  program="$1"; title="$2"
  "$program" & pid=$!
  found=""
  for _ in $(seq 100); do
    if xwininfo -root -tree | grep -qF "\"$title\""; then found=yes; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$found" ]; then
    echo "no window titled \"$title\""; xwininfo -root -tree; kill "$pid" 2>/dev/null || true; exit 1
  fi
  id=$(xwininfo -root -tree | grep -F "\"$title\"" | head -1 | awk "{print \$1}")
  xprop -id "$id" _NET_WM_NAME | grep -qF "\"$title\"" || { echo "_NET_WM_NAME differs"; exit 1; }
  kill -0 "$pid" || { echo "sondrix ended by itself"; exit 1; }
  kill "$pid"; wait "$pid" 2>/dev/null || true
' smoke "$program" "$title"

grep -q "Program OPENED" log.txt || { echo "log.txt lacks Program OPENED:"; cat log.txt; exit 1; }
[ -d "$work/ZNTK" ] || { echo "no ZNTK folder beside the program"; exit 1; }
echo "window and log as expected"
