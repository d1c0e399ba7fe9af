#!/usr/bin/env bash
# Static analysis of the plug-in (host/, settings/, editor_feature/, win32/),
# the development host (devhost/), the demo (demo/) and the tests' companions
# (companions/): clang-tidy with the checks in .clang-tidy, and cppcheck. Any
# finding of either fails.
#
#   scripts/lint.sh [--build DIR] [clang-tidy] [cppcheck]
#
# Both read the compile commands of a configured build (build/release unless
# --build says otherwise; `cmake --preset release` makes them), so each file is
# seen with the defines and include folders the mingw-w64 compiler gets.
# clang-tidy also gets the compiler's target, C++ library and Windows headers,
# as the compiler reports them: without them clang would parse the code as a
# Linux program with this machine's own headers. Options only gcc knows are
# left out. Nothing is built; the tests, GoogleTest and the build's generated
# files are not analysed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tool=lint
# shellcheck source=scripts/common.sh
. "$here/scripts/common.sh"

build=$here/build/release
tools=()
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    clang-tidy | cppcheck) tools+=("$1"); shift ;;
    *) echo "usage: scripts/lint.sh [--build DIR] [clang-tidy] [cppcheck]" >&2; exit 2 ;;
  esac
done
[ ${#tools[@]} -gt 0 ] || tools=(clang-tidy cppcheck)

if [ ! -f "$build/compile_commands.json" ]; then
  say "no $build/compile_commands.json: configure first (cmake --preset release)"
  exit 2
fi
for t in "${tools[@]}"; do
  command -v "$t" >/dev/null || { say "$t is not installed (sudo scripts/install-deps.sh)"; exit 2; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Options that only gcc knows; clang stops at an unknown one.
gcc_only='-fno-tree-loop-distribute-patterns'

# Our sources, once each, from the build's compile commands, without gcc's
# own options. python3 comes with clang-tidy and cppcheck.
python3 - "$here" "$build/compile_commands.json" "$scratch/compile_commands.json" "$gcc_only" <<'EOF' >"$scratch/files"
import json, os, shlex, sys
root, source, target, gcc_only = sys.argv[1], sys.argv[2], sys.argv[3], set(sys.argv[4].split())
ours = {"host", "settings", "editor_feature", "win32", "devhost", "demo", "companions"}
entries, seen = [], set()
for entry in json.load(open(source)):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    relative = os.path.relpath(path, root)
    if relative.split(os.sep)[0] not in ours or not path.endswith(".cpp") or path in seen:
        continue
    seen.add(path)
    arguments = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    entries.append({"directory": entry["directory"], "file": path,
                    "arguments": [a for a in arguments if a not in gcc_only]})
    print(path)
json.dump(entries, open(target, "w"), indent=1)
EOF
mapfile -t files <"$scratch/files"
if [ ${#files[@]} -eq 0 ]; then
  say "no source of ours in $build/compile_commands.json"
  exit 2
fi

# The compiler the build uses, its target and its include folders.
compiler=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[0]["arguments"][0])' \
  "$scratch/compile_commands.json")
triple=$("$compiler" -dumpmachine)
jobs=${LINT_JOBS:-$(nproc)}
status=0

run_clang_tidy() {
  # gcc's own include folders hold its builtins (intrinsics, stddef.h), which
  # clang brings itself. Its C++ library is named as gcc searches it; the
  # mingw-w64 headers come from the sysroot, as clang's own mingw driver
  # places them: after clang's builtins, as system headers whose findings are
  # not ours, and with no Linux header behind them.
  local builtin fixed dir sysroot="" args=(--extra-arg=--target="$triple" --extra-arg=-nostdinc++
    --extra-arg=-Wno-unknown-warning-option)
  builtin=$(realpath -m "$("$compiler" -print-file-name=include)")
  fixed=$(realpath -m "$("$compiler" -print-file-name=include-fixed)")
  while read -r dir; do
    dir=$(realpath -m "$dir")
    if [ "$dir" = "$builtin" ] || [ "$dir" = "$fixed" ]; then
      continue
    elif [[ $dir == */c++* ]]; then
      args+=(--extra-arg=-isystem"$dir")
    elif [ -z "$sysroot" ] && [[ $dir == */include ]]; then
      sysroot=${dir%/include}
    else
      say "$compiler searches $dir, which clang-tidy would not be told of"
      return 1
    fi
  done < <("$compiler" -E -x c++ - -v </dev/null 2>&1 | sed -n '/^#include <...> search starts here:$/,/^End of search list\.$/{/^ /s/^ //p}')
  if [ -z "$sysroot" ]; then
    say "$compiler names no folder of Windows headers"
    return 1
  fi
  args+=(--extra-arg=--sysroot="$sysroot")

  mkdir -p "$scratch/tidy"
  printf '%s\n' "${args[@]}" >"$scratch/tidy/arguments"
  export scratch
  # One file per clang-tidy, side by side; each file's findings are shown
  # together, in the files' order. The inner script expands its own variables.
  # shellcheck disable=SC2016
  printf '%s\n' "${files[@]}" | nl -w1 -s' ' | xargs -d '\n' -n 1 -P "$jobs" bash -c '
    n=${1%% *} file=${1#* }
    mapfile -t args <"$scratch/tidy/arguments"
    clang-tidy -p "$scratch" --quiet "${args[@]}" "$file" >"$scratch/tidy/$n" 2>&1 || echo "$n" >>"$scratch/tidy/failed"
  ' _
  say "clang-tidy: ${#files[@]} files"
  if [ -f "$scratch/tidy/failed" ]; then
    local n
    while read -r n; do
      grep -Ev '^[0-9]+ (warnings?|errors?|warnings? and [0-9]+ errors?) generated\.$' "$scratch/tidy/$n" || true
    done < <(sort -n "$scratch/tidy/failed")
    say "clang-tidy: findings in $(wc -l <"$scratch/tidy/failed") of ${#files[@]} files"
    return 1
  fi
  say "clang-tidy: no findings"
}

run_cppcheck() {
  local platform=win64
  [[ $triple == i686-* ]] && platform=win32A
  # No Windows header is read (its library file knows the Windows API): the
  # analysis stays on our code and takes a second or two. "information"
  # reports an inline suppression that no longer matches anything.
  # useStlAlgorithm would make every search loop a find_if with a lambda;
  # clang-tidy's readability-use-anyofallof asks where an algorithm reads better.
  if ! cppcheck --project="$scratch/compile_commands.json" --platform="$platform" --library=windows --std=c++20 \
    --enable=warning,style,performance,portability,information --inline-suppr --suppress=useStlAlgorithm \
    --error-exitcode=1 --quiet -j "$jobs" --template=gcc; then
    say "cppcheck: findings (above)"
    return 1
  fi
  say "cppcheck: ${#files[@]} files, no findings"
}

for t in "${tools[@]}"; do
  case $t in
    clang-tidy) run_clang_tidy || status=1 ;;
    cppcheck) run_cppcheck || status=1 ;;
  esac
done
exit $status
