#!/usr/bin/env bash
# The Debian package from end to end, without touching this machine: build it with CPack,
# check its files and control fields, check the service unit and the desktop entries, then
# install, upgrade, remove and purge it in a scratch root (dpkg --root, maintainer scripts
# run chrootless) with the programs' state under a temporary KV_PREFIX. A first
# installation whose maintainer script fails must leave nothing behind.
#
# usage: PackageTest.sh BUILD_DIR SOURCE_DIR WITH_TABRIX(0|1) WITH_OPTRIM(0|1)
set -euo pipefail
bin=$1 src=$2 with_tabrix=$3 with_optrim=$4

work=$(mktemp -d /tmp/kv_package_XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }
now_ms() { date +%s%3N; }

programs=/usr/libexec/kavro
service_key='SYSTEM\CurrentControlSet\Services\Pansvc'
appid_key='AppID\{9FBC2FBD-B4D2-42A6-8A13-41FFC24C4908}'
setting_key='SOFTWARE\KAVRO\Corvane\Setting\VT-R700A'
preset_key='SOFTWARE\KAVRO\Corvane\PresetHWD'

for tool in cpack dpkg dpkg-deb dpkg-shlibdeps systemd-analyze desktop-file-validate sqlite3; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/deps.sh installs it)"
done
[ -x "$bin/bin/pansvc" ] && [ -x "$bin/bin/tabrix-presets" ] || fail "build pansvc and tabrix-presets first"

# ---------------------------------------------------------------- the package itself
step "cpack -G DEB"
t0=$(now_ms)
cpack -G DEB -B "$work/out" --config "$bin/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, got: ${debs[*]}"
deb=${debs[0]}
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes, built in $(($(now_ms) - t0)) ms"

step "file list"
expected=(
  "$programs/pansvc"
  "$programs/tabrix-presets"
  /usr/lib/systemd/system/pansvc.service
  /usr/lib/udev/rules.d/70-kavro.rules
)
if [ "$with_tabrix" = 1 ]; then
  expected+=(
    "$programs/tabrix"
    "/usr/bin/tabrix -> ../libexec/kavro/tabrix"
    "$programs/Tabrix.ini -> /etc/kavro/Tabrix.ini"
    "$programs/language.ini -> /etc/kavro/language.ini"
    "$programs/model.ini -> /etc/kavro/model.ini"
    /usr/share/applications/kavro-tabrix.desktop
    /usr/share/icons/hicolor/scalable/apps/kavro-tabrix.svg
    /etc/xdg/autostart/kavro-tabrix.desktop
  )
fi
if [ "$with_optrim" = 1 ]; then
  expected+=(
    "$programs/VT-R800A/Optrim"
    "$programs/VT-R800A/Optrim.ini -> /etc/kavro/VT-R800A/Optrim.ini"
    "$programs/VT-R800A/Optrim_y1200.ini -> /etc/kavro/VT-R800A/Optrim_y1200.ini"
  )
fi
# Every entry but the folders, as "path" or "path -> target"; nothing more, nothing less
# (a stand-in or a developer tool in the package is as wrong as a missing program).
dpkg-deb -c "$deb" | grep -v '^d' | sed -E 's|^([^ ]+ +){5}\./|/|' | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the layout"
dpkg-deb -c "$deb" | grep -E " \./usr/libexec/kavro/(pansvc|tabrix-presets)\$" | grep -q '^-rwxr-xr-x root/root' ||
  fail "programs must be root-owned and executable"

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kavro ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Version)" ] && [ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] ||
  fail "Version, Maintainer and Description are required"
# Derived from the programs' shared libraries by dpkg-shlibdeps, with versions.
depends=$(field Depends)
for lib in libc6 libsqlite3-0 libstdc++6; do
  grep -Fq ", $lib (>= " <<<", $depends" || fail "Depends lacks $lib with a version: $depends"
done
mkdir "$work/control"
dpkg-deb -e "$deb" "$work/control"
for script in postinst prerm postrm; do
  [ -x "$work/control/$script" ] || fail "maintainer script $script missing or not executable"
  sh -n "$work/control/$script" || fail "$script does not parse"
done
if [ "$with_tabrix" = 1 ]; then
  [ "$(cat "$work/control/conffiles")" = /etc/xdg/autostart/kavro-tabrix.desktop ] ||
    fail "conffiles: $(cat "$work/control/conffiles")"
else
  [ ! -e "$work/control/conffiles" ] || fail "conffiles without files under /etc"
fi

# ---------------------------------------------------------------- unit and entries
step "desktop entries"
desktop-file-validate "$src"/packaging/desktop/*.desktop || fail "desktop-file-validate"
python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \
  "$src/packaging/icons/kavro-tabrix.svg" || fail "the icon is no well-formed SVG"

# ---------------------------------------------------------------- scratch installation
root=$work/root
export KV_PREFIX=$work/prefix
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$KV_PREFIX"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
run_dpkg() {
  # The dependencies are this machine's libraries, not the scratch root's.
  local cmd=(dpkg --root="$root" --force-script-chrootless --force-depends)
  if [ "$(id -u)" -ne 0 ]; then
    # fakeroot preloads itself ahead of a sanitizer build's runtime.
    cmd=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
         fakeroot "${cmd[@]}" --force-not-root)
  fi
  "${cmd[@]}" "$@" >>"$work/dpkg.log" 2>&1
}
status() { dpkg --root="$root" -s kavro 2>/dev/null | sed -n 's/^Status: //p'; }
hive=$KV_PREFIX/machine/registry.db
value() {  # ROOT(0 HKLM, 2 HKCR) KEY NAME -> data, empty when absent
  [ -e "$hive" ] || return 0
  sqlite3 "$hive" "SELECT data FROM reg_value WHERE root=$1 AND path='$2' AND name='$3'"
}

step "install into a scratch root"
t0=$(now_ms)
run_dpkg -i "$deb" || { cat "$work/dpkg.log"; fail "dpkg -i"; }
echo "installed in $(($(now_ms) - t0)) ms"
[ "$(status)" = "install ok installed" ] || fail "status after install: $(status)"
[ "$(value 0 "$service_key" ImagePath)" = "$root$programs/pansvc" ] ||
  fail "pansvc -Install did not register the installed program: '$(value 0 "$service_key" ImagePath)'"
[ "$(value 2 "$appid_key" LocalService)" = Pansvc ] || fail "AppID not registered"
[ "$(sqlite3 "$hive" "SELECT count(*) FROM reg_value WHERE root=0 AND path LIKE '$preset_key\\%'")" -gt 0 ] ||
  fail "the preset table was not installed"
[ -L "$root/etc/systemd/system/multi-user.target.wants/pansvc.service" ] || fail "service not enabled"
if [ "$with_tabrix" = 1 ]; then
  [ "$(value 0 "$setting_key" PenButon)" = 257 ] || fail "tabrix /Install wrote no defaults"
  [ "$(readlink -f "$root/usr/bin/tabrix")" = "$root$programs/tabrix" ] || fail "/usr/bin/tabrix"
  desktop-file-validate "$root/usr/share/applications/kavro-tabrix.desktop" \
    "$root/etc/xdg/autostart/kavro-tabrix.desktop" || fail "installed desktop entries"
fi

step "service unit"
packaged=$root/usr/lib/systemd/system/pansvc.service
written=$KV_PREFIX/machine/systemd/pansvc.service
[ -f "$written" ] || fail "pansvc -Install wrote no unit"
grep -qx "ExecStart=$programs/pansvc" "$packaged" || fail "packaged unit starts another program"
# systemd-analyze verify reports problems as output and still exits 0.
mkdir "$work/verify"
sed "s|^ExecStart=|ExecStart=$root|" "$packaged" >"$work/verify/pansvc.service"
out=$(systemd-analyze verify "$work/verify/pansvc.service" 2>&1) && [ -z "$out" ] ||
  fail "systemd-analyze verify: $out"
out=$(systemd-analyze verify "$written" 2>&1) && [ -z "$out" ] || fail "verify of the written unit: $out"
exposure() {
  systemd-analyze security --offline=true "$1" 2>/dev/null |
    sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p'
}
for unit in "$packaged" "$written"; do
  score=$(exposure "$unit")
  echo "exposure of $unit: $score"
  [ -n "$score" ] && awk -v s="$score" 'BEGIN { exit !(s <= 4.5) }' || fail "exposure $score above 4.5"
done
# The same hardening in both: every [Service] line but where the program and its
# prefix lie.
service_lines() {
  sed -n '/^\[Service\]/,/^\[/p' "$1" | grep -v -E '^(\[|#|$|ExecStart=|Environment="?KV_PREFIX|BindPaths=|BindReadOnlyPaths=)' | sort
}
diff -u <(service_lines "$packaged") <(service_lines "$written") ||
  fail "the unit pansvc -Install writes differs from the packaged one"
grep -qx "BindPaths=\"$KV_PREFIX\"" "$written" || fail "the written unit does not bind its prefix"

step "install over the installed version keeps the settings"
sqlite3 "$hive" "INSERT OR REPLACE INTO reg_value VALUES(0, '$setting_key', 'PenButon', 4, 1)"
run_dpkg -i "$deb" || { cat "$work/dpkg.log"; fail "dpkg -i over itself"; }
[ "$(value 0 "$setting_key" PenButon)" = 1 ] || fail "upgrade changed a stored setting"
[ -n "$(value 0 "$service_key" ImagePath)" ] || fail "upgrade lost the service registration"

step "remove keeps the settings"
run_dpkg -r kavro || { cat "$work/dpkg.log"; fail "dpkg -r"; }
[ "$(status)" = "deinstall ok config-files" ] || fail "status after remove: $(status)"
[ -z "$(value 0 "$service_key" ImagePath)" ] && [ -z "$(value 2 "$appid_key" LocalService)" ] ||
  fail "remove left the service registered"
[ ! -e "$written" ] || fail "remove left the unit pansvc -Install wrote"
[ ! -e "$root$programs/pansvc" ] || fail "remove left the program"
[ "$(value 0 "$setting_key" PenButon)" = 1 ] || fail "remove lost a stored setting"
run_dpkg -i "$deb" || { cat "$work/dpkg.log"; fail "dpkg -i after remove"; }
[ "$(value 0 "$setting_key" PenButon)" = 1 ] || fail "installing again after remove reset a setting"

step "purge removes what the installation created"
run_dpkg -P kavro || { cat "$work/dpkg.log"; fail "dpkg -P"; }
[ -z "$(status)" ] || fail "status after purge: $(status)"
left=$(find "$KV_PREFIX" -mindepth 1)
[ -z "$left" ] || fail "purge left: $left"
left=$(find "$root" -mindepth 1 \( -type f -o -type l \) -not -path "$root/var/lib/dpkg/*")
[ -z "$left" ] || fail "purge left in the root: $left"

step "a failing first configuration leaves nothing behind"
# A file where the service's unit folder belongs makes pansvc -Install fail half-way, after
# it wrote the service record.
mkdir -p "$KV_PREFIX/machine"
touch "$KV_PREFIX/machine/systemd"
if run_dpkg -i "$deb"; then fail "dpkg -i succeeded although pansvc -Install failed"; fi
[ "$(status)" = "install ok half-configured" ] || fail "status after failure: $(status)"
left=$(find "$KV_PREFIX" -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "$KV_PREFIX/machine $KV_PREFIX/machine/systemd " ] ||
  fail "the failed configuration left: $left"
rm "$KV_PREFIX/machine/systemd"
run_dpkg --configure -a || { cat "$work/dpkg.log"; fail "dpkg --configure after the cause was gone"; }
[ "$(value 0 "$service_key" ImagePath)" = "$root$programs/pansvc" ] || fail "not registered on retry"
run_dpkg -P kavro || fail "dpkg -P"

echo "package test passed"
