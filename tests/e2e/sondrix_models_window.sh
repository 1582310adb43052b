#!/usr/bin/env bash
# Starts the real sondrix under a virtual X server against the standalone sensor emulator, once for
# each model: an RS-485 sensor, a K-line sensor and a radio module. Each time the window's caption
# must name the model it found on the emulator's port. Arguments: sondrix, sensor_emulator.
set -euo pipefail
if [ "${1:-}" != "--in-x" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" --in-x "$@"
fi
sondrix="$(realpath "$2")"
emulator="$(realpath "$3")"
work="$(mktemp -d)"
emulator_pid=""
sondrix_pid=""
stop() {
  for pid in $sondrix_pid $emulator_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  sondrix_pid=""
  emulator_pid=""
}
trap 'stop; rm -rf "$work"' EXIT
cp "$sondrix" "$work/sondrix"
cd "$work"

# Waits up to $2 tenths of a second for the file $1 to hold the text $3.
wait_for_text() {
  for _ in $(seq "$2"); do
    grep -qF -- "$3" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# The id of the top-level window with exactly this title, when there is one.
window_titled() {
  { xwininfo -root -tree | grep -F "\"$1\"" || true; } | head -1 | awk '{print $1}'
}

check_model() {
  local model="$1" title="$2" id=""
  "$emulator" --model "$model" > emulator.out 2>&1 &
  emulator_pid=$!
  wait_for_text emulator.out 50 "export SONDRIX_PORTS=" || { echo "$model: no port from the emulator"; cat emulator.out; exit 1; }
  local ports com
  ports=$(sed -n 's/^export SONDRIX_PORTS=//p' emulator.out)
  com=$(sed -n 's/^\(COM[0-9]*\) -> .*/\1/p' emulator.out)
  # Only the emulator's port: the machine's own serial ports stay untouched.
  SONDRIX_PORTS="$ports" ./sondrix "($com)" > /dev/null 2>&1 &
  sondrix_pid=$!
  for _ in $(seq 150); do
    id=$(window_titled "$title")
    [ -n "$id" ] && break
    kill -0 "$sondrix_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "$model: no window titled \"$title\""; xwininfo -root -tree | grep -F '"ДУТ' || true
    cat emulator.out; exit 1
  fi
  xprop -id "$id" _NET_WM_NAME | grep -qF "\"$title\"" || { echo "$model: _NET_WM_NAME differs"; exit 1; }
  stop
  echo "$model: \"$title\""
}

check_model rs485 "ДУТ Конфигуратор 4.0: Зенток-D (RS-485)"
check_model kline "ДУТ Конфигуратор 4.0: Зенток-A (K-LINE)"
check_model radio "ДУТ Конфигуратор 4.0: Радио"
