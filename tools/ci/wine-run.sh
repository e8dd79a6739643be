#!/usr/bin/env bash
# wine-run.sh WINE PREFIX PROGRAM [ARGS...]: runs a Win64 program under Wine in
# the given prefix, creating the prefix first if it does not exist yet:
#   - "Arial" is replaced by "Liberation Sans", which the Linux build measures
#     with too, so that GDI+ finds the face the plug-in asks for by default;
#   - Wine's own messages stay off stderr (WINEDEBUG=-all), as do the
#     complaints of its display driver on a machine without a display.
set -euo pipefail
wine="$1"; prefix="$2"; shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.horavex-ready" ]; then
    rm -rf "$prefix"
    "$wine" wineboot --init >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f \
      >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
    touch "$prefix/.horavex-ready"
  fi
) 9>"$prefix.lock"
exec "$wine" "$@"
