#!/usr/bin/env bash
# wine-prefix.sh WINE: makes $WINEPREFIX a ready prefix for the tests and the
# demo, once: initialised, Mono and Gecko not offered, the null graphics driver
# (real windows and menus with no display) and no crash dialog (a crash fails
# a test instead of hanging it). Run again, it only checks the marker.
set -euo pipefail
wine=$1
marker="$WINEPREFIX/.kestrano-ready"
if [ -f "$marker" ]; then
  grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg" && exit 0
  # Made for the other architecture by an earlier version of the build.
  rm -rf "$WINEPREFIX"
fi

mkdir -p "$WINEPREFIX"
echo "wine-prefix: preparing $WINEPREFIX ($WINEARCH; a minute or two)..."
start=$(date +%s)
"$wine" wineboot --init >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/user.reg" ] || { echo "wine-prefix: wineboot made no prefix in $WINEPREFIX" >&2; exit 1; }
# The server has saved the registry and is gone: extend the user hive directly.
cat >> "$WINEPREFIX/user.reg" <<'REG'

[Software\\Wine\\Drivers] 1765000000
"Graphics"="null"

[Software\\Wine\\WineDbg] 1765000000
"ShowCrashDialog"=dword:00000000
REG
touch "$marker"
echo "wine-prefix: ready after $(( $(date +%s) - start )) s."
