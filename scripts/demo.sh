#!/usr/bin/env bash
# The system's main job as a person meets it: the hardware stand-ins (driver, panel),
# pansvc relaying to the driver, and tabrix in the tray with the panel found and the stored
# settings pushed. On the person's display when DISPLAY is set, else on a virtual one
# (Xvfb with a tray host). Leaves a screenshot of the screen (demo-screen.png), shows a
# settings change reaching the driver stand-in, then stops everything cleanly.
# DEMO_SECONDS (default 0) keeps everything running that long before stopping.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BENCH=OFF >/dev/null
cmake --build build-demo -j "$(nproc)" --target pansvc kvtpd-sim panel-sim pansvc-ctl tabrix >/dev/null
bin=build-demo/bin
shot=$PWD/demo-screen.png

export KV_PREFIX=$(mktemp -d) KV_HID=sim
pids=()
cleanup() {
  # tabrix first (its exit puts the driver and panel back to rest), then the rest.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[$i]}" 2>/dev/null && wait "${pids[$i]}" 2>/dev/null || true
  done
  rm -rf "$KV_PREFIX"
}
trap cleanup EXIT
ctl() { python3 -c 'import socket,sys,os
s=socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])
s.sendall((sys.argv[2]+"\n").encode()); print(s.makefile().readline().strip())' "$@"; }
wait_for() { for _ in $(seq 200); do [ -e "$1" ] && return 0; sleep 0.05; done; return 1; }

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 6 -screen 0 1920x1080x24 -nolisten tcp 6>"$KV_PREFIX/display" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do [ -s "$KV_PREFIX/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$KV_PREFIX/display")"
  trayer --edge top --align right --widthtype request --height 32 --transparent false \
    --tint 0xc0c0c0 >/dev/null 2>&1 &
  pids+=($!)
  echo "== virtual display $DISPLAY with a tray host"
fi

"$bin/kvtpd-sim" & pids+=($!)
wait_for "$KV_PREFIX/run/dev/kvtpd700.ctl"
"$bin/panel-sim" --model VT-R700A & pids+=($!)
wait_for "$KV_PREFIX/run/hid/panel.ctl"
"$bin/pansvc" -Install --unit-dir "$KV_PREFIX/units"
# As its unit starts it: reporting its state, which tabrix waits for at start.
KV_SERVICE_MANAGER=1 "$bin/pansvc" & pids+=($!)
wait_for "$KV_PREFIX/run/pipe/{A9898F7B-CD8F-42A8-A235-30478B75FEA1}"

echo "== KV_PREFIX=$KV_PREFIX (control channels under run/)"
echo "== starting tabrix"
"$bin/tabrix" & pids+=($!)
for _ in $(seq 600); do
  settings=$(ctl "$KV_PREFIX/run/dev/kvtpd700.ctl" settings)
  [ "${settings:0:2}" = "01" ] && break
  sleep 0.1
done
echo "== driver stand-in settings (input enabled first): $settings"
echo "== panel stand-in took SetInputMode $(ctl "$KV_PREFIX/run/hid/panel.ctl" 'count 3') time(s)"
sleep 1
import -window root "$shot" && echo "== screenshot: $shot"
sleep "${DEMO_SECONDS:-0}"
echo "== stopping"
