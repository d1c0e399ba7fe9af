#!/usr/bin/env bash
# Builds the plug-in and runs the whole test suite under Wine. Installs what
# it needs first (scripts/install-deps.sh), so it works on a fresh machine.
#
# The suite runs on two builds of the same sources:
#  - the 32-bit build, the DLL the mail client loads (preset release);
#  - the 64-bit build (preset x64-bench), which Wine runs natively everywhere.
# Where the kernel runs no 32-bit code, Wine emulates it at about a minute or
# two per program start; there the 32-bit build runs the tests that depend on
# the 32-bit binary itself (loading, binding, exports and their calling
# convention: label abi32) and the 64-bit build runs everything.
# Set KESTRANO_FULL_X86=1 to run the whole suite on the 32-bit build anyway.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { echo "== $* ($(date +%H:%M:%S))"; }

step "installing build and test dependencies"
if [ "$(id -u)" -eq 0 ]; then bash scripts/install-deps.sh; else sudo bash scripts/install-deps.sh; fi

native_x86() { /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ; }

run_suite() {
  local preset=$1; shift
  step "configuring and building preset $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  step "running the tests of preset $preset $*"
  ctest --preset "$preset" "$@"
}

status=0
run_suite x64-bench || status=1
if native_x86 || [ "${KESTRANO_FULL_X86:-0}" = 1 ]; then
  run_suite release || status=1
else
  echo "== this machine runs 32-bit x86 code only under emulation: the 32-bit build runs its own tests (label abi32)"
  run_suite release -L abi32 || status=1
fi
exit $status
