#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Non-interactive and idempotent; 'apt-get update' runs only when something must be installed.
# `deps.sh fuzz` adds what scripts/fuzz.sh needs: clang, libFuzzer, the symbolizer.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsqlite3-dev libhidapi-dev libudev-dev
  # the desktop programs and their tests: Qt6 Widgets on X11, a real X server with a tray
  # host, a person's hands (xdotool) and eyes (import), a CJK font for the sensor tool
  qt6-base-dev libxcb1-dev libxcb-xtest0-dev libgl-dev
  xvfb xauth trayer xdotool x11-utils x11-xserver-utils imagemagick
  fonts-dejavu-core fonts-noto-cjk
  # power and session notices come from logind on the system bus; tests run a private bus
  dbus-daemon
  # the Debian package and its test: dpkg-shlibdeps, a scratch dpkg for non-root runs, the
  # unit and desktop entry checkers, and a look into the installed hive
  dpkg-dev fakeroot desktop-file-utils systemd sqlite3
  # the Windows build of the service and the logic, and Wine to run its tests
  g++-mingw-w64-x86-64-posix wine64
)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang-14 libclang-rt-14-dev llvm-14)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
