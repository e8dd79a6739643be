#!/usr/bin/env bash
# Installs the Debian package into this very system and checks that stock melt
# finds the plug-in where the package puts it (no OFX_PLUGIN_PATH), that the
# installed horavex-render renders with the installed bundle, and that
# removing the package takes away every file it brought.
#   deb_install_test.sh PACKAGE.deb MELT VERSION
# It changes the system, so it runs only as root where CI=true says that the
# machine may be changed (as CI does); elsewhere it is skipped (exit 77). It
# never touches a Horavex installed by other means.
set -euo pipefail
deb="$1"; melt="$2"; version="$3"
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "installing the package needs root"
[ "${CI:-}" = true ] || skip "it installs the package into this system, which only CI (CI=true) allows;" \
  "run it with CI=true ctest -R package.deb_install on a machine you may change"
if dpkg-query -W -f='${Status}' horavex 2>/dev/null | grep -qv 'not-installed'; then
  skip "a horavex package is already on this system; remove it first (dpkg -P horavex)"
fi
for path in /usr/OFX/Plugins/Horavex.ofx.bundle /usr/bin/horavex-render; do
  [ ! -e "$path" ] || skip "$path is already there, from outside the package; left alone"
done
[ -f "$deb" ] || fail "no package at $deb"
[ -x "$melt" ] || fail "no melt at $melt"

work="$(mktemp -d)"
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then
    dpkg -P horavex > /dev/null 2>&1 || echo "could not remove the package: run dpkg -P horavex" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
unset OFX_PLUGIN_PATH

lists_plugin() {
  timeout 300 "$melt" -query filters > "$work/filters" 2>&1 || fail "melt -query filters failed: $(cat "$work/filters")"
  grep -q 'openfx\.de\.quandel\.horavex' "$work/filters"
}

# What the package brings that is not here yet must be gone again after it
# is removed; what was here before (/usr/bin, ...) stays.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' > "$work/listed"
while read -r path; do [ -e "$path" ] || echo "$path"; done < "$work/listed" > "$work/new"

! lists_plugin || fail "melt lists the plug-in before the package is installed"

installed=1
dpkg -i "$deb" > "$work/dpkg" 2>&1 || fail "dpkg -i failed: $(cat "$work/dpkg")"

lists_plugin || fail "melt does not list openfx.de.quandel.horavex with the package installed; its OpenFX filters:" \
  "$(grep -i openfx "$work/filters" || echo none)"

(cd "$work" && timeout 300 horavex-render --version > version) || fail "horavex-render --version failed"
head -n 1 "$work/version" | grep -qxF "horavex-render $version" || fail "--version says: $(cat "$work/version")"
grep -qF "in /usr/OFX/Plugins/Horavex.ofx.bundle" "$work/version" ||
  fail "horavex-render does not find the installed bundle: $(cat "$work/version")"
(cd "$work" && timeout 300 horavex-render --size 320x180 --set "ClockChoice=Digital Clock" --out x.png) ||
  fail "the installed horavex-render does not render"
[ "$(head -c 8 "$work/x.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "x.png is no PNG"

dpkg -r horavex > "$work/dpkg" 2>&1 || fail "dpkg -r failed: $(cat "$work/dpkg")"
installed=0
left=()
while read -r path; do [ ! -e "$path" ] || left+=("$path"); done < "$work/new"
[ ${#left[@]} -eq 0 ] || fail "left behind after removal: ${left[*]}"
[ -s "$work/new" ] || fail "the package brought nothing new"
! lists_plugin || fail "melt still lists the plug-in after removal"
echo "installed, found by melt and horavex-render, and removed without a trace"
