#!/usr/bin/env bash
# The Debian package as a file, without installing it: what it holds and
# where, the version everywhere the same, dependencies found by
# dpkg-shlibdeps, and no errors from lintian.
#   deb_package_test.sh PACKAGE.deb VERSION
set -euo pipefail
deb="$1"; version="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = horavex ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "package version $(field Version), the project's is $version"
[ "$(basename "$deb")" = "horavex_${version}_$(dpkg --print-architecture).deb" ] || fail "file name $(basename "$deb")"
# What the binaries link, as dpkg-shlibdeps reads it: the drawing libraries
# for the plug-in, GTK for its font chooser, libpng for horavex-render.
depends="$(field Depends)"
for library in libc6 libcairo2 libpango-1.0-0 libpangocairo-1.0-0 libgtk-3-0 libpng16-16 libstdc++6; do
  tr ',|' '\n\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$library" || fail "Depends lacks $library: $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' > "$work/files"
for file in \
  ./usr/OFX/Plugins/Horavex.ofx.bundle/Contents/Info.plist \
  ./usr/OFX/Plugins/Horavex.ofx.bundle/Contents/Linux-x86-64/Horavex.ofx \
  ./usr/OFX/Plugins/Horavex.ofx.bundle/Contents/Linux-x86-64/horavex-fontchooser \
  ./usr/bin/horavex-render \
  ./usr/share/man/man1/horavex-render.1.gz \
  ./usr/share/doc/horavex/copyright \
  ./usr/share/doc/horavex/changelog.gz; do
  grep -qxF "$file" "$work/files" || fail "the package lacks $file"
done

dpkg-deb -x "$deb" "$work/root"
plist="$work/root/usr/OFX/Plugins/Horavex.ofx.bundle/Contents/Info.plist"
for key in CFBundleVersion CFBundleShortVersionString; do
  grep -A1 "<key>$key</key>" "$plist" | grep -qF "<string>$version</string>" || fail "Info.plist: $key is not $version"
done
zcat "$work/root/usr/share/doc/horavex/changelog.gz" | head -n 1 | grep -qF "horavex ($version)" ||
  fail "the changelog does not start with version $version"
grep -qF "BSD-3-Clause" "$work/root/usr/share/doc/horavex/copyright" || fail "the copyright file names no licence"

if ! command -v lintian >/dev/null; then
  echo "SKIPPED: lintian is not installed (./horavex.sh installs it); the rest passed"
  exit 77
fi
status=0
lintian --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1 || status=$?
cat "$work/lintian"
if grep -q '^E: ' "$work/lintian"; then fail "lintian reports errors"; fi
# Without errors to report, lintian ends with 0 unless it could not check.
[ "$status" -eq 0 ] || fail "lintian could not check the package (exit $status)"
echo "the package holds what it should; lintian reports no errors"
