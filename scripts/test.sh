#!/usr/bin/env bash
# Builds the plug-in and runs the whole test suite under Wine. Installs what
# it needs first (scripts/install-deps.sh), so it works on a fresh machine.
#
# The whole suite runs on two builds of the same sources: the 32-bit build,
# the DLL the mail client loads (preset release), and the 64-bit build (preset
# x64-bench). Both run in a 64-bit Wine prefix; 32-bit programs under WoW64.
# Where the kernel runs no 32-bit code, Wine's 32-bit side is emulated: a few
# seconds per program start and some five times slower work (cmake/wine/wine-env.sh
# says why a start is not a minute), two to three minutes for the 32-bit suite;
# a test that then outlives its timeout is given one more run, since under the
# emulator a program has once run many times past its usual time. A test that
# fails is not run again. Each build's suite ends by running its test kit (the
# tests zip's run-tests.cmd, under Wine's cmd.exe); under emulation only the
# 64-bit build's, since the 32-bit kit would run every 32-bit test program a
# second time, emulated (two more minutes).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
tool=test
# shellcheck source=scripts/common.sh
. "$here/scripts/common.sh"

step() { echo "== $* ($(date +%H:%M:%S))"; }

step "installing build and test dependencies"
as_root bash scripts/install-deps.sh

run_suite() {
  local preset=$1; shift
  step "configuring and building preset $preset"
  local fresh
  fresh=$(fresh_if_moved "build/$preset")
  cmake --preset "$preset" ${fresh:+"$fresh"} >/dev/null
  cmake --build --preset "$preset"
  step "running the tests of preset $preset $*"
  ctest --preset "$preset" "$@"
}

status=0
run_suite x64-bench -j "$(nproc)" || status=1
if runs_x86_natively; then
  run_suite release -j "$(nproc)" || status=1
else
  echo "== this machine runs 32-bit x86 code only under emulation: the 32-bit suite takes a few minutes"
  echo "== leaving out the run of the 32-bit test kit (label kit): it would run that suite a second time; the 64-bit kit has run"
  # A label given here takes the place of the preset's, which leaves out the pictures.
  run_suite release -j "$(nproc)" --repeat after-timeout:2 -LE '^(kit|pictures)$' || status=1
fi
exit $status
