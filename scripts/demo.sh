#!/usr/bin/env bash
# The demo: installs what it needs, builds the plug-in, and runs it in the
# development host under Wine with a sample mailbox, ending with a transcript
# of what a user would see.
#
#   scripts/demo.sh          builds the 32-bit DLL (the product) and runs it
#   scripts/demo.sh --x64    runs a 64-bit build of the same sources instead
#
# KESTRANO_BUILD_ROOT puts the build folders elsewhere (default: build/).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
root=${KESTRANO_BUILD_ROOT:-$here/build}
choice=x86
for arg in "$@"; do
  case $arg in
    --x86) choice=x86 ;;
    --x64) choice=x64 ;;
    -h | --help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo: unknown option $arg (try --help)" >&2; exit 64 ;;
  esac
done

tool=demo
# shellcheck source=scripts/common.sh
. "$here/scripts/common.sh"

build() {  # build PRESET: configures and builds the DLL and the demo host
  local preset=$1 dir=$root/$1 start fresh
  start=$(date +%s)
  if [ ! -f "$dir/build.ninja" ]; then
    say "configuring the $preset build in $dir..."
  fi
  fresh=$(fresh_if_moved "$dir")
  quietly "$root/$preset-configure.log" cmake -S "$here" --preset "$preset" -B "$dir" ${fresh:+"$fresh"}
  say "building the $preset build (a few minutes the first time)..."
  quietly "$root/$preset-build.log" cmake --build "$dir" --target Kestrano kestrano_demo recording_editor
  say "built in $(($(date +%s) - start)) s."
}

mkdir -p "$root"
say "checking the toolchains and Wine (installing them takes several minutes on a fresh machine)..."
as_root "$here/scripts/install-deps.sh"

build release
dll=$root/release/bin/Kestrano.dll
say "the plug-in: $dll ($(stat -c %s "$dll") bytes, 32-bit, the file to copy into the mail client's plug-in folder)"

if [ "$choice" = x86 ]; then
  preset=release
else
  preset=x64-bench
  build x64-bench
fi

"$root/$preset/wine-run.sh" --prepare-prefix
say "running the demo in the development host (the $preset build)..."
echo
# Through a pipe Wine hands the demo's UTF-8 straight to the terminal; a Wine
# console would redraw and wrap it on its own.
set +e
"$root/$preset/wine-run.sh" "$root/$preset/bin/kestrano_demo.exe" | cat
status=${PIPESTATUS[0]}
set -e
exit "$status"
