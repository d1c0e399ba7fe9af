# Sourced by wine-run.sh and scripts/screenshot.sh: how our programs run
# under Wine, besides the prefix. Code page 932 as on a Japanese Windows,
# Wine's own messages off, no offer to install Mono or Gecko, and no desktop
# menu entries written for the programs.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
export LC_ALL=ja_JP.UTF-8

# Where the kernel runs no 32-bit code, Wine's 32-bit loader runs under the
# qemu-i386 emulation that install-deps.sh registers. Debian's Wine has no
# preloader, so that loader reserves the address space above 2 GB itself, by
# halving ranges that the emulator refuses: tens of thousands of mmap calls,
# about a minute at every start of a 32-bit program. An emulated address space
# that ends just above 2 GB leaves next to nothing to reserve, and a start
# takes seconds; a 32-bit Windows program that is not large-address-aware
# (the mail client, our hosts and tests) has 2 GB anyway. At exactly 2 GB
# Wine's loader cannot start; the larger the space above, the slower. Only
# emulated 32-bit processes read the variable.
if [ -f /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
  head -n 1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -qx enabled; then
  export QEMU_RESERVED_VA=0x81000000
fi
