#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine: the
# 32-bit mingw-w64 toolchain (posix threads), Wine with 32-bit support, the
# GoogleTest sources, CMake and Ninja, clang-tidy and cppcheck for the static
# analysis, and the Japanese locale Wine needs to run with code page 932.
# Does nothing that is already done.
#
#   scripts/install-deps.sh [--pictures]
#
# --pictures: also what scripts/screenshot.sh draws the pictures with: a
# virtual X display, ImageMagick, a font with Japanese glyphs and Wine's own
# fonts (Marlett draws the window frames' buttons).
#
# A mirror being synchronised serves, for a while, an index that does not
# match its release file, and apt-get update fails on it. The update is tried
# a few times with a pause; an index that still fails is named, and the
# install goes on with the indexes that came. If the install then fails and
# an index did not come, it is tried once more with the suites of those
# indexes left out (their packages, security updates among them, are then
# not installed), with a warning saying so.
set -euo pipefail

# What the test (tests/install-deps-test.sh) replaces: the apt-get that runs,
# the folder apt's sources are read from, the tries and the pause between.
apt_get=${KESTRANO_APT_GET:-apt-get}
apt_etc=${KESTRANO_APT_ETC:-/etc/apt}
apt_tries=${KESTRANO_APT_TRIES:-3}
apt_pause=${KESTRANO_APT_PAUSE:-30}

say() { echo "install-deps: $*"; }
warn() { echo "install-deps: $*" >&2; }

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    warn "run as root (or through sudo) to install packages"
    exit 1
  fi
}

packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine32:i386 wine64
  googletest cmake ninja-build locales clang-format clang-tidy cppcheck
  ca-certificates zip qemu-user-static
)
picture_packages=(xvfb xauth imagemagick fonts-ipafont-gothic fonts-wine)

# The indexes the last apt_update could not fetch (their URLs).
failed_indexes=()

# apt-get update, tried apt_tries times. Returns 0 even when an index still
# fails: the others came, and the install may not need the missing one.
apt_update() {
  local log try
  log=$(mktemp)
  for ((try = 1; try <= apt_tries; try++)); do
    local status=0
    "$apt_get" update -q >"$log" 2>&1 || status=$?
    mapfile -t failed_indexes < <(sed -n 's/^[WE]: Failed to fetch \([^ ]*\).*/\1/p' "$log" | sort -u)
    if [ "$status" -eq 0 ] && [ "${#failed_indexes[@]}" -eq 0 ]; then
      rm -f "$log"
      return 0
    fi
    if [ "$try" -lt "$apt_tries" ]; then
      if [ "${#failed_indexes[@]}" -gt 0 ]; then
        say "apt-get update could not fetch ${failed_indexes[*]}; trying again in ${apt_pause} s ($try of $apt_tries)..."
      else
        say "apt-get update failed (exit code $status); trying again in ${apt_pause} s ($try of $apt_tries)..."
      fi
      sleep "$apt_pause"
    fi
  done
  if [ "${#failed_indexes[@]}" -gt 0 ]; then
    local url
    for url in "${failed_indexes[@]}"; do
      warn "WARNING: after $apt_tries tries, apt-get update still could not fetch $url"
    done
    sed -n 's/^[WE]: Failed to fetch [^ ]* *\(.*\)/install-deps:   apt said: \1/p' "$log" | sort -u >&2
    warn "This is usually a mirror in the middle of a sync, and passes within an hour or so. Going on with"
    warn "the package lists that did come; if the install below fails, run this script again later."
  else
    tail -n 5 "$log" >&2
    warn "WARNING: apt-get update failed $apt_tries times (exit code $status; its last lines are above)."
    warn "Going on with the package lists apt already has."
  fi
  rm -f "$log"
  return 0
}

# The suite ("bookworm-security") and its archive's address
# ("http://deb.debian.org/debian-security") an index URL belongs to.
index_suite() { sed -n 's|.*/dists/\([^/]*\)/.*|\1|p' <<<"$1"; }
index_archive() { sed -n 's|/dists/.*||p' <<<"$1"; }

# Copies apt's sources into $1, less each suite of an archive whose index
# failed: both the one-line form (sources.list, *.list) and the deb822 form
# (*.sources), where a suite is taken out of its stanza's Suites, and a
# stanza left without one goes. apt's own files are only read.
sources_without_failed_suites() {
  local into=$1 url file name drop=()
  for url in "${failed_indexes[@]}"; do
    drop+=("$(index_archive "$url") $(index_suite "$url")")
  done
  mkdir -p "$into"
  local drops
  drops=$(printf '%s\n' "${drop[@]}")
  for file in "$apt_etc/sources.list" "$apt_etc"/sources.list.d/*.list "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    [ "$name" = sources.list ] && name=main.list
    if [[ $name == *.sources ]]; then
      awk -v drops="$drops" '
        function bare(uri) { sub(/\/+$/, "", uri); return uri }
        BEGIN { RS = ""; ORS = "\n\n"; n = split(drops, d, "\n") }
        {
          uris = ""; count = split($0, lines, "\n")
          for (i = 1; i <= count; i++) if (lines[i] ~ /^URIs:/) uris = lines[i]
          out = ""; kept = 1
          for (i = 1; i <= count; i++) {
            line = lines[i]
            if (line ~ /^Suites:/) {
              m = split(substr(line, 8), suites, " "); left = ""
              for (j = 1; j <= m; j++) {
                gone = 0
                for (k = 1; k <= n; k++) {
                  split(d[k], pair, " ")
                  split(substr(uris, 6), addresses, " ")
                  for (a in addresses) if (bare(addresses[a]) == bare(pair[1]) && suites[j] == pair[2]) gone = 1
                }
                if (!gone) left = left " " suites[j]
              }
              if (left == "") kept = 0
              line = "Suites:" left
            }
            out = out line "\n"
          }
          if (kept) printf "%s\n", out
        }' "$file" >"$into/$name"
    else
      awk -v drops="$drops" '
        function bare(uri) { sub(/\/+$/, "", uri); return uri }
        BEGIN { n = split(drops, d, "\n") }
        /^[ \t]*deb(-src)?[ \t]/ {
          f = 2; if ($f ~ /^\[/) { while ($f !~ /\]$/) f++; f++ }
          for (k = 1; k <= n; k++) { split(d[k], pair, " "); if (bare($f) == bare(pair[1]) && $(f + 1) == pair[2]) next }
        }
        { print }' "$file" >"$into/$name"
    fi
  done
}

# apt-get install, and when that fails after an index did not come, once
# more with the suites of the failed indexes left out.
apt_install() {
  local log status=0
  log=$(mktemp)
  "$apt_get" install -y -q --no-install-recommends "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -eq 0 ]; then
    rm -f "$log"
    return 0
  fi
  if [ "${#failed_indexes[@]}" -gt 0 ]; then
    local suites=() url sources
    for url in "${failed_indexes[@]}"; do suites+=("$(index_suite "$url")"); done
    mapfile -t suites < <(printf '%s\n' "${suites[@]}" | sort -u)
    warn "The install failed: $(grep -m 1 '^E:' "$log" || tail -n 1 "$log")"
    warn "The index of ${suites[*]} did not come, so apt may be mixing packages of that suite with older"
    warn "ones of the others (for another architecture, say). Trying once more with ${suites[*]} left out..."
    sources=$(mktemp -d)
    sources_without_failed_suites "$sources"
    status=0
    "$apt_get" -o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$sources" \
      install -y -q --no-install-recommends "$@" >"$log" 2>&1 || status=$?
    rm -rf "$sources"
    if [ "$status" -eq 0 ]; then
      rm -f "$log"
      warn "WARNING: installed with ${suites[*]} left out, so without the updates it holds, security fixes"
      warn "among them. Once the mirror is in sync, run: apt-get update && apt-get upgrade"
      return 0
    fi
  fi
  tail -n 20 "$log" >&2
  warn "could not install the packages (apt-get exit code $status; its last lines are above): $*"
  if [ "${#failed_indexes[@]}" -gt 0 ]; then
    warn "An index did not come (above): most likely a mirror in the middle of a sync. Run this script again later."
  fi
  rm -f "$log"
  return 1
}

main() {
  local missing=() p
  case ${1:-} in
    '') ;;
    --pictures) packages+=("${picture_packages[@]}") ;;
    *) warn "usage: install-deps.sh [--pictures]"; exit 2 ;;
  esac
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done

  if [ "${#missing[@]}" -gt 0 ]; then
    need_root
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
    fi
    say "installing ${missing[*]} (a few minutes on a fresh machine)..."
    export DEBIAN_FRONTEND=noninteractive
    apt_update
    apt_install "${missing[@]}" || exit 1
    say "packages installed."
  fi

  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    need_root
    say "generating the ja_JP.UTF-8 locale..."
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi

  # Some kernels (virtual machines among them) cannot execute 32-bit x86 code.
  # Wine's 32-bit loader then runs under qemu's user-mode emulation, registered
  # for 32-bit x86 programs: correct, but some ten times slower.
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    need_root
    local misc=/proc/sys/fs/binfmt_misc
    [ -f "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc"
    if [ ! -f "$misc/qemu-i386" ]; then
      say "this kernel runs no 32-bit x86 code; emulating it with qemu-i386."
      printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$misc/register"
    fi
  fi

  # The mingw compilers exist in two thread models; GoogleTest needs posix.
  local tool
  for tool in i686-w64-mingw32-g++ i686-w64-mingw32-gcc x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc; do
    if [ -x "/usr/bin/$tool-posix" ] && [ "$(readlink -f "/usr/bin/$tool")" != "/usr/bin/$tool-posix" ]; then
      need_root
      update-alternatives --set "$tool" "/usr/bin/$tool-posix" >/dev/null
    fi
  done
}

# Sourced by the test for its functions; run, it installs.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
