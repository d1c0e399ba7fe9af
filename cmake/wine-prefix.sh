#!/usr/bin/env bash
# wine-prefix.sh PREFIX: makes PREFIX a ready Wine prefix for the tests and the
# demo, once: initialised, Mono and Gecko not offered, the null graphics driver
# (real windows and menus with no display) and no crash dialog (a crash fails a
# test instead of hanging it). Run again, it only checks the marker.
set -euo pipefail
prefix=$1
marker="$prefix/.kestrano-ready"
[ -f "$marker" ] && exit 0

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
mkdir -p "$prefix"
echo "wine-prefix: initialising $prefix (a minute natively, ten or more where 32-bit code is emulated)..."
start=$(date +%s)
wineboot --init >/dev/null 2>&1 || true
wineserver -w
[ -f "$prefix/user.reg" ] || { echo "wine-prefix: wineboot made no prefix in $prefix" >&2; exit 1; }
# The server has written the registry and is gone: extend the user hive directly.
cat >> "$prefix/user.reg" <<'REG'

[Software\\Wine\\Drivers] 1765000000
"Graphics"="null"

[Software\\Wine\\WineDbg] 1765000000
"ShowCrashDialog"=dword:00000000
REG
touch "$marker"
echo "wine-prefix: ready after $(( $(date +%s) - start )) s."
