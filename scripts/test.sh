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
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  step "running the tests of preset $preset $*"
  ctest --preset "$preset" "$@"
}

status=0
run_suite x64-bench || status=1
if runs_x86_natively || [ "${KESTRANO_FULL_X86:-0}" = 1 ]; then
  run_suite release || status=1
else
  echo "== this machine runs 32-bit x86 code only under emulation: the 32-bit build runs its own tests (label abi32)"
  run_suite release -L abi32 || status=1
fi
exit $status
