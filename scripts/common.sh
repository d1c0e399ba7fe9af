# Shared by the scripts in this folder: source it, after setting $tool to the
# script's name for messages.

say() { echo "$tool: $*"; }

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Runs a slow step with its output in a log, which is shown only when it fails.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "$tool: failed; the whole output is in $log" >&2
    exit 1
  fi
}

# Native 32-bit execution: the 32-bit loader runs, and not through the
# qemu-i386 emulation that install-deps.sh registers where the kernel has none.
runs_x86_natively() {
  local qemu=/proc/sys/fs/binfmt_misc/qemu-i386
  if [ -f "$qemu" ] && head -n 1 "$qemu" | grep -qx enabled; then
    return 1
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# "--fresh" when the build folder was configured with a toolchain file that
# is no longer where its cache says (the file moved): CMake cannot configure
# that folder again without starting afresh. Nothing otherwise.
fresh_if_moved() {  # fresh_if_moved BUILD_DIR
  local cache=$1/CMakeCache.txt toolchain
  [ -f "$cache" ] || return 0
  toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$cache")
  if [ -n "$toolchain" ] && [ ! -f "$toolchain" ]; then echo --fresh; fi
}
