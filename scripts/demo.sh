#!/usr/bin/env bash
# The system's main job against the hardware stand-ins: pansvc relays requests to kvtpd-sim.
# Builds (Release, build-demo/), runs everything under a temporary KV_PREFIX, shows a
# settings change reaching the stand-in, then stops cleanly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BENCH=OFF -DCMAKE_CXX_FLAGS=-Wno-error=restrict >/dev/null
cmake --build build-demo -j "$(nproc)" --target pansvc kvtpd-sim pansvc-ctl >/dev/null
bin=build-demo/bin

export KV_PREFIX=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null || true; done
  rm -rf "$KV_PREFIX"
}
trap cleanup EXIT
ctl() { python3 -c 'import socket,sys,os
s=socket.socket(socket.AF_UNIX); s.connect(os.environ["KV_PREFIX"]+"/run/dev/kvtpd700.ctl")
s.sendall((sys.argv[1]+"\n").encode()); print(s.makefile().readline().strip())' "$1"; }
wait_for() { for _ in $(seq 100); do [ -e "$1" ] && return 0; sleep 0.05; done; return 1; }

"$bin/kvtpd-sim" & pids+=($!)
wait_for "$KV_PREFIX/run/dev/kvtpd700.ctl"
"$bin/pansvc" -Install --unit-dir "$KV_PREFIX/units"
"$bin/pansvc" & pids+=($!)
wait_for "$KV_PREFIX/run/pipe/{A9898F7B-CD8F-42A8-A235-30478B75FEA1}"

echo "== set the device path, ask for the driver information"
"$bin/pansvc-ctl" path '\\.\kvtpd700'
"$bin/pansvc-ctl" send 1 "$(printf '00%.0s' {1..24})" 24
echo "== stand-in settings before:  $(ctl settings)"
echo "== rotate to 90 degrees (command 3, u16 at 24)"
"$bin/pansvc-ctl" send 3 "$(printf '00%.0s' {1..24})5a00$(printf '00%.0s' {1..10})" 36
echo "== stand-in settings after:   $(ctl settings)"
echo "== a touch, taken through the service"
ctl "touch 1200 3400" >/dev/null
"$bin/pansvc-ctl" send 5 "$(printf '00%.0s' {1..24})" 24
echo "== stand-in touch point now:  $(ctl touchpoint)"
echo "== stopping"
