#!/usr/bin/env bash
# Builds the service and the OS-neutral logic for Windows (mingw-w64) and runs their tests
# under Wine in a private prefix beside the build. A persistent wineserver serves the whole
# CTest run (without it every test waits for the server to idle out) and is ended with
# `wineserver -k` at the end, also on failure: killing it harder loses registry writes.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KV_WIN_BUILD_DIR:-build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix boots.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine=$(command -v wine64 || true)
[ -z "$wine" ] && [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
[ -z "$wine" ] && wine=$(command -v wine || true)
wineserver=$(command -v wineserver || true)
[ -z "$wineserver" ] && [ -x /usr/lib/wine/wineserver ] && wineserver=/usr/lib/wine/wineserver
if [ -z "$wine" ] || [ -z "$wineserver" ]; then
  echo "test-windows: Wine not found (bash scripts/deps.sh installs it)" >&2
  exit 1
fi

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Debug: these tests check behaviour, not speed, and -O0 halves the build on two cores.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"

stop_server() { "$wineserver" -k 2>/dev/null || true; }
trap stop_server EXIT
# Persistent first, so that the boot and every test use this one server; one left running
# by an earlier run refuses to be started twice and serves as well.
"$wineserver" -p 2>/dev/null || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
fi
# The first program in a fresh server starts the prefix's services, which inherit its output
# and hold it open long after it ended (CTest would wait for them); let that be this one.
"$wine" cmd /c exit >/dev/null 2>&1 || true
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
