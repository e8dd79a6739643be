#!/usr/bin/env bash
# The Windows installer under Wine, in the build's own Wine prefix: a silent
# install puts the bundle and horavex-render.exe where they belong and
# registers the uninstaller with the version; the installed program renders
# with the installed bundle; a second install over the first works; the
# silent uninstall takes everything away again.
#   windows_installer_test.sh WINE-RUN WINE PREFIX INSTALLER VERSION
set -euo pipefail
run="$1"; wine="$2"; prefix="$3"; installer="$4"; version="$5"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$installer" ] || fail "no installer at $installer"

wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
wine_() { "$run" "$wine" "$prefix" "$@"; }
# The uninstaller runs a copy of itself from the temporary folder and ends at
# once; the work is done when every process of the prefix has ended.
settle() { WINEPREFIX="$prefix" "$wineserver" -w 2>/dev/null || true; }

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Horavex'
drive="$prefix/drive_c"
ofx="$drive/Program Files/Common Files/OFX"
bundle="$ofx/Plugins/Horavex.ofx.bundle"
home="$drive/Program Files/Horavex"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

registered() { wine_ reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name {sub(/^ *[^ ]+ +[^ ]+ +/, ""); print}'; }

# What an earlier run left behind in this prefix (an interrupted test).
if [ -x "$home/uninstall.exe" ]; then wine_ "$home/uninstall.exe" /S || true; settle; fi
rm -rf "$bundle" "$home"
wine_ reg delete "$key" /f > /dev/null 2>&1 || true
had_ofx=0
[ -d "$ofx" ] && had_ofx=1

check_installed() {  # which install
  for file in "$bundle/Contents/Info.plist" "$bundle/Contents/Win64/Horavex.ofx" \
              "$home/horavex-render.exe" "$home/uninstall.exe"; do
    [ -f "$file" ] || fail "$1: ${file#"$drive/"} is missing"
  done
  grep -A1 '<key>CFBundleVersion</key>' "$bundle/Contents/Info.plist" | grep -qF "<string>$version</string>" ||
    fail "$1: the installed Info.plist is not of version $version"
  [ "$(registered DisplayName)" = Horavex ] || fail "$1: no uninstaller registered under Apps and features"
  [ "$(registered DisplayVersion)" = "$version" ] || fail "$1: registered version '$(registered DisplayVersion)'"
  registered UninstallString | grep -qiF 'C:\Program Files\Horavex\uninstall.exe' ||
    fail "$1: UninstallString '$(registered UninstallString)'"

  # The installed program, away from any build: it must find the installed bundle.
  (cd "$work" && rm -f x.png version && wine_ "$home/horavex-render.exe" --version > version) ||
    fail "$1: horavex-render.exe --version failed"
  tr -d '\r' < "$work/version" | head -n 1 | grep -qxF "horavex-render $version" ||
    fail "$1: --version says $(cat "$work/version")"
  grep -qiF 'in C:\Program Files\Common Files\OFX\Plugins\Horavex.ofx.bundle' "$work/version" ||
    fail "$1: horavex-render.exe does not load the installed bundle: $(cat "$work/version")"
  (cd "$work" && wine_ "$home/horavex-render.exe" --size 320x180 --set "ClockChoice=LED Clock" --out x.png) ||
    fail "$1: the installed horavex-render.exe does not render"
  [ "$(head -c 8 "$work/x.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$1: x.png is no PNG"
}

wine_ "$installer" /S || fail "the silent install failed"
settle
check_installed "first install"

wine_ "$installer" /S || fail "the second silent install failed"
settle
check_installed "second install"

wine_ "$home/uninstall.exe" /S || fail "the silent uninstall failed"
settle
for path in "$bundle" "$home"; do
  [ ! -e "$path" ] || fail "left after uninstalling: ${path#"$drive/"} ($(find "$path" | head -n 5 | tr '\n' ' '))"
done
[ "$had_ofx" = 1 ] || [ ! -e "$ofx" ] || fail "the emptied OFX folder is left after uninstalling"
[ -z "$(registered DisplayName)" ] || fail "the uninstaller is still registered after uninstalling"
echo "installed twice, rendered with the installed bundle, uninstalled without a trace"
