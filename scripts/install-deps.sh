#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine: the
# 32-bit mingw-w64 toolchain (posix threads), Wine with 32-bit support, the
# GoogleTest sources, CMake and Ninja, and the Japanese locale Wine needs to
# run with code page 932. Does nothing that is already done.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root (or through sudo) to install packages" >&2
    exit 1
  fi
}

packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine32:i386 wine64
  googletest cmake ninja-build locales clang-format
  ca-certificates zip qemu-user-static
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  need_root
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  echo "install-deps: installing ${missing[*]} (a few minutes on a fresh machine)..."
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  echo "install-deps: packages installed."
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root
  echo "install-deps: generating the ja_JP.UTF-8 locale..."
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

# Some kernels (virtual machines among them) cannot execute 32-bit x86 code.
# Wine's 32-bit loader then runs under qemu's user-mode emulation, registered
# for 32-bit x86 programs: correct, but about a hundred times slower.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  need_root
  misc=/proc/sys/fs/binfmt_misc
  [ -f "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc"
  if [ ! -f "$misc/qemu-i386" ]; then
    echo "install-deps: this kernel runs no 32-bit x86 code; emulating it with qemu-i386."
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$misc/register"
  fi
fi

# The mingw compilers exist in two thread models; GoogleTest needs posix.
for tool in i686-w64-mingw32-g++ i686-w64-mingw32-gcc x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc; do
  if [ -x "/usr/bin/$tool-posix" ] && [ "$(readlink -f "/usr/bin/$tool")" != "/usr/bin/$tool-posix" ]; then
    need_root
    update-alternatives --set "$tool" "/usr/bin/$tool-posix" >/dev/null
  fi
done
