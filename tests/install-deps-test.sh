#!/usr/bin/env bash
# scripts/install-deps.sh against a mirror that fails, with a stand-in for
# apt-get and a copy of apt's sources in a scratch folder: this machine's apt
# is never run, and its sources are never read or written.
#
#   tests/install-deps-test.sh <scratch folder>
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
scratch=${1:?usage: install-deps-test.sh <scratch folder>}
rm -rf "$scratch"
mkdir -p "$scratch/etc/sources.list.d" "$scratch/bin"

failures=0
passed=0
check() {  # check WHAT COMMAND...: passes when the command succeeds
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $what" >&2
  fi
}
has() { grep -q -- "$2" "$1"; }
lacks() { [ -f "$1" ] && ! grep -q -- "$2" "$1"; }

# Debian 12's sources as a fresh machine has them, and one source in the
# one-line form.
cat >"$scratch/etc/sources.list.d/debian.sources" <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security/
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
cat >"$scratch/etc/sources.list" <<'EOF'
deb http://deb.debian.org/debian-security bookworm-security main
deb [arch=amd64] http://mirror.example/debian bookworm main
EOF

# The stand-in: its behaviour is set by the files in $scratch/apt. It logs
# each call, and keeps the sources an install was given.
security_index=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
cat >"$scratch/bin/apt-get" <<EOF
#!/usr/bin/env bash
state=$scratch/apt
echo "\$*" >>"\$state/calls"
if [ "\${*: -1}" = update ] || [[ " \$* " == *" update "* ]]; then
  failing=\$(cat "\$state/update-fails" 2>/dev/null || echo 0)
  if [ "\$failing" -gt 0 ]; then
    echo \$((failing - 1)) >"\$state/update-fails"
    echo "E: Failed to fetch $security_index  File has unexpected size (1234 != 1200). Mirror sync in progress? [IP: 192.0.2.1 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
  fi
  exit 0
fi
for arg in "\$@"; do
  case \$arg in Dir::Etc::sourceparts=*) parts=\${arg#*=} ;; esac
done
if [ -n "\${parts:-}" ]; then
  cat "\$parts"/* >"\$state/sources-given"
  grep -q bookworm-security "\$parts"/* && exit 100
  exit 0
fi
[ -f "\$state/install-fails" ] || exit 0
echo "E: Unable to correct problems, you have held broken packages."
exit 100
EOF
chmod +x "$scratch/bin/apt-get"

# Each case in a fresh state, with the script's functions sourced anew.
run_case() {  # run_case NAME UPDATE_FAILURES INSTALL_FAILS COMMANDS: output in $scratch/NAME.out
  local name=$1 update_failures=$2 install_fails=$3
  shift 3
  rm -rf "$scratch/apt"
  mkdir -p "$scratch/apt"
  echo "$update_failures" >"$scratch/apt/update-fails"
  [ "$install_fails" = yes ] && touch "$scratch/apt/install-fails"
  (
    export KESTRANO_APT_GET=$scratch/bin/apt-get KESTRANO_APT_ETC=$scratch/etc KESTRANO_APT_PAUSE=0 KESTRANO_APT_TRIES=3
    export TMPDIR=$scratch/tmp
    mkdir -p "$TMPDIR"
    # shellcheck source=scripts/install-deps.sh
    . "$here/scripts/install-deps.sh"
    status=0
    "$@" || status=$?
    echo "exit code $status"
  ) >"$scratch/$name.out" 2>&1
}
calls() { grep -c -- "$2" "$scratch/apt/calls" 2>/dev/null || true; }

# A mirror in sync for the third try: two pauses, then quiet.
run_case hiccup 2 no apt_update
check "a passing mirror: update tried three times" [ "$(calls hiccup update)" -eq 3 ]
check "a passing mirror: each retry said in our words" has "$scratch/hiccup.out" "trying again in 0 s (2 of 3)"
check "a passing mirror: no warning once it came" lacks "$scratch/hiccup.out" WARNING

# A mirror that stays out of sync: named, explained, and the script goes on.
run_case stuck 9 no apt_update
check "a stuck mirror: update tried three times, no more" [ "$(calls stuck update)" -eq 3 ]
check "a stuck mirror: the update still returns 0" has "$scratch/stuck.out" "exit code 0"
check "a stuck mirror: the failed index named" has "$scratch/stuck.out" "still could not fetch $security_index"
check "a stuck mirror: what it usually is" has "$scratch/stuck.out" "mirror in the middle of a sync"
check "a stuck mirror: apt's reason passed on" has "$scratch/stuck.out" "Mirror sync in progress"

# ... and an install that fails with every suite passes with the failed one
# left out, with a warning about what that costs.
run_case fallback 9 yes eval 'apt_update && apt_install wine32:i386'
check "fallback: installed" has "$scratch/fallback.out" "exit code 0"
check "fallback: one try with all suites, one without the failed one" [ "$(calls fallback install)" -eq 2 ]
check "fallback: warns that updates are missing" has "$scratch/fallback.out" "without the updates it holds"
check "fallback: says how to catch up" has "$scratch/fallback.out" "apt-get update && apt-get upgrade"
given=$scratch/apt/sources-given
check "fallback: the failed suite left out, deb822 and one-line" lacks "$given" bookworm-security
check "fallback: its stanza's other fields gone with it" [ "$(grep -c '^Types:' "$given")" -eq 1 ]
check "fallback: the other suites of Debian kept" has "$given" "Suites: bookworm bookworm-updates"
check "fallback: a source of another archive kept" has "$given" "deb \[arch=amd64\] http://mirror.example/debian bookworm main"
check "fallback: apt's own sources left as they were" has "$scratch/etc/sources.list.d/debian.sources" "Suites: bookworm-security"

# An install that fails with every index in: no guessing, the reason, exit 1.
run_case broken 0 yes apt_install wine32:i386
check "a failed install with all indexes: exit code 1" has "$scratch/broken.out" "exit code 1"
check "a failed install with all indexes: tried once" [ "$(calls broken install)" -eq 1 ]
check "a failed install with all indexes: apt's reason shown" has "$scratch/broken.out" "held broken packages"
check "a failed install with all indexes: said in our words" has "$scratch/broken.out" "could not install the packages"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
