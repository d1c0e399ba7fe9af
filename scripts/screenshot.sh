#!/usr/bin/env bash
# The pictures for the READMEs: the development host with the plug-in loaded,
# on a virtual X display, after a double-click on a Japanese mail has opened
# it in the external editor (Wine's notepad). Saves docs/screenshot.png.
# With --menus, the plug-in's menus instead, as the host draws them: the
# Tools menu (ツール) with the plug-in's submenu open, beside the mail list's
# context menu, cropped to the menus, each labelled. Saves docs/menus.png,
# and beside it docs/menus.png.txt, the menu texts it shows as the plug-in's
# code gave them.
# Under each picture a caption, in Japanese and English, says what it shows
# and that it is the development host, not Becky! itself.
#
#   scripts/screenshot.sh [--x86 | --x64] [--menus] [OUTPUT.png]
#   scripts/screenshot.sh [--x86 | --x64] --check
#
# --check remakes both pictures in a scratch folder and fails, naming each,
# when one differs from the committed picture in a single byte, or the menu
# texts differ from docs/menus.png.txt (label pictures in ctest).
# It runs the 32-bit build where this machine runs 32-bit x86 code natively,
# and the 64-bit build of the same sources where it does not (--x86 or --x64
# chooses).
# KESTRANO_BUILD_ROOT puts the build folders elsewhere (default: build/).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
root=${KESTRANO_BUILD_ROOT:-$here/build}
output=
choice=auto
picture=double-click
for arg in "$@"; do
  case $arg in
    --x86) choice=x86 ;;
    --x64) choice=x64 ;;
    --menus) picture=menus ;;
    --check) picture=check ;;
    -h | --help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "screenshot: unknown option $arg (try --help)" >&2; exit 64 ;;
    *) output=$(realpath -m "$arg") ;;
  esac
done
if [ "$picture" = check ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  arch=()
  [ "$choice" = auto ] || arch=("--$choice")
  bash "$0" "${arch[@]}" "$scratch/screenshot.png"
  bash "$0" "${arch[@]}" --menus "$scratch/menus.png"
  stale=0
  for made in screenshot.png menus.png menus.png.txt; do
    if ! cmp -s "$scratch/$made" "$here/docs/$made"; then
      remake="scripts/screenshot.sh --menus"
      [ "$made" = screenshot.png ] && remake=scripts/screenshot.sh
      echo "screenshot: docs/$made is not what the code draws now: remake it with $remake" >&2
      stale=1
    fi
  done
  [ "$stale" -eq 0 ] && echo "screenshot: docs/screenshot.png, docs/menus.png and docs/menus.png.txt are current"
  exit "$stale"
fi
if [ -z "$output" ]; then
  output=$here/docs/screenshot.png
  [ "$picture" = menus ] && output=$here/docs/menus.png
fi

tool=screenshot
# shellcheck source=scripts/common.sh
. "$here/scripts/common.sh"

mkdir -p "$root" "$(dirname "$output")"
say "checking the toolchains, Wine, a virtual X display and a Japanese font (several minutes on a fresh machine)..."
as_root "$here/scripts/install-deps.sh" --pictures

if [ "$choice" = auto ]; then
  if runs_x86_natively; then choice=x86; else choice=x64; fi
fi
preset=release
[ "$choice" = x64 ] && preset=x64-bench
build=$root/$preset
say "building the $preset build (a few minutes the first time)..."
fresh=$(fresh_if_moved "$build")
quietly "$root/$preset-configure.log" cmake --preset "$preset" -B "$build" ${fresh:+"$fresh"}
quietly "$root/$preset-build.log" cmake --build "$build" --target kestrano_demo plugin_texts
"$build/wine-run.sh" --prepare-prefix
# The plug-in's own texts ("<name><TAB><text>"), for the captions and for the
# record of the menu texts the menus picture shows.
texts=$("$build/wine-run.sh" "$build/bin/plugin_texts.exe")
tab=$'\t'
menu_texts=$(grep -E "^k[A-Za-z]*[Mm]enuText$tab" <<<"$texts" || true)
if [ "$(grep -c . <<<"$menu_texts")" -ne 5 ]; then
  echo "screenshot: plugin_texts did not give the five menu texts:" >&2
  echo "$texts" >&2
  exit 1
fi
# A menu text as the menu shows it: the "&" of its shortcut is drawn as an underline.
shown() { sed -n "s/^$1$tab//p" <<<"$texts" | sed 's/(&\(.\))/(\1)/'; }

# The build's prefix draws nothing (the tests' null driver); the picture needs
# a real one, so it gets a prefix of its own: a copy, drawing through X11 into
# a Wine desktop (which paints the window frames no window manager would), with
# a Japanese font for the editor, and a caret that does not blink: a blinking
# one is caught lit or dark, and the picture would differ from run to run.
x11prefix=$build/wineprefix-x11
if [ ! -f "$x11prefix/.kestrano-x11-2" ]; then
  say "making the drawing prefix $x11prefix..."
  rm -rf "$x11prefix"
  cp -a --reflink=auto "$build/wineprefix" "$x11prefix"
  sed -i 's/^"Graphics"="null"$/"Graphics"="x11"/' "$x11prefix/user.reg"
  cat >>"$x11prefix/user.reg" <<'REG'

[Software\\Wine\\Explorer] 1765000000
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops] 1765000000
"Default"="1024x640"

[Software\\Microsoft\\Notepad] 1765000000
"lfFaceName"="IPAGothic"
"lfCharSet"=dword:00000080
"iPointSize"=dword:0000008c
"iWindowPosX"=dword:00000150
"iWindowPosY"=dword:000000d8
"iWindowPosDX"=dword:00000280
"iWindowPosDY"=dword:00000160

[Control Panel\\Desktop] 1765000000
"CursorBlinkRate"="-1"

[Software\\Wine\\Fonts\\Replacements] 1765000000
"MS UI Gothic"="IPAGothic"
"MS Shell Dlg"="IPAGothic"
"MS Shell Dlg 2"="IPAGothic"
REG
  touch "$x11prefix/.kestrano-x11-2"
fi
# This Wine does not look for the fonts it ships in its own data folder, so
# without a copy in the prefix the frames' buttons come out as the letters
# that stand for them in Marlett ("0 1 r").
cp /usr/share/wine/fonts/marlett.ttf "$x11prefix/drive_c/windows/Fonts/"

# Under each picture, in the guide's two languages: what it shows, and that
# it is the development host, which stands in for Becky!, not Becky! itself.
font=$(fc-match -f '%{file}' IPAGothic)
text() {  # text LINE...: one line of caption text each, centred
  local line labels=()
  for line in "$@"; do labels+=("label:$line"); done
  convert -background white -fill '#202020' -font "$font" -pointsize 13 "${labels[@]}" -gravity center -append \
    miff:-
}
caption() {  # caption PICTURE OUTPUT LINE...
  local picture=$1 output=$2
  shift 2
  text "$@" | convert "$picture" \( - -bordercolor white -border 10x6 \) -gravity center -append -strip -depth 8 \
    "PNG8:$output"
}
# label PICTURE TEXT: the text above the picture, on its left.
label() {
  text "$2" | convert - -bordercolor white -border 2x4 "$1" -gravity west -append "$1"
}

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x640x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# What wine-run.sh sets, with the drawing prefix in place of the build's.
wine=$(sed -n 's/^KESTRANO_WINE:FILEPATH=//p' "$build/CMakeCache.txt")
export WINEPREFIX=$x11prefix
# shellcheck source=cmake/wine/wine-env.sh
. "$here/cmake/wine/wine-env.sh"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 2

if [ "$picture" = menus ]; then
  # The host opens a menu once its window is up and says where the menu is;
  # each menu is taken from a host of its own, since a program has one menu
  # open at a time. Fresh settings: the switches as a user first sees them.
  shot() {  # shot MENU PNG: the whole screen with that menu open; prints the menu's place
    local log=$root/screenshot-$1.log demo shown=
    DISPLAY=$display "${wine:-wine}" "$build/bin/kestrano_demo.exe" --interactive --fresh-settings --show-menu "$1" \
      >"$log" 2>&1 &
    demo=$!
    for _ in $(seq 900); do
      shown=$(sed -n 's/^kestrano_demo: menu shown at \([0-9]*\),\([0-9]*\) \([0-9x]*\).*/\3+\1+\2/p' "$log")
      if [ -n "$shown" ] || grep -q 'did not open' "$log"; then break; fi
      sleep 1
    done
    if [ -z "$shown" ]; then
      kill "$demo" 2>/dev/null || true
      echo "screenshot: the host did not open its $1 menu (its output is in $log)" >&2
      exit 1
    fi
    DISPLAY=$display import -window root "$2"
    kill "$demo" 2>/dev/null || true
    wait "$demo" 2>/dev/null || true
    echo "$shown"
  }
  say "starting the host on display $display and opening its menus..."
  work=$(mktemp -d)
  trap 'cleanup; rm -rf "$work"' EXIT
  tools=$(shot tools "$work/tools.png")
  context=$(shot context "$work/context.png")
  # Each menu as it is, at its own size (a picture scaled down blurs): the
  # Tools menu from the menu bar's "ツール" down to the end of the open
  # submenu, and the context menu over the mail it was opened on. Side by
  # side, with the caption under them.
  margin=8
  menu_bar=24
  IFS=+x read -r width height left top <<<"$tools"
  convert "$work/tools.png" \
    -crop "$((width + 2 * margin))x$((height + menu_bar + margin))+$((left - margin))+$((top - menu_bar))" \
    +repage "$work/tools-cut.png"
  IFS=+x read -r width height left top <<<"$context"
  convert "$work/context.png" \
    -crop "$((width + 2 * margin))x$((height + 2 * margin))+$((left - margin))+$((top - margin))" \
    +repage "$work/context-cut.png"
  label "$work/tools-cut.png" '「ツール」メニュー（Tools menu）'
  label "$work/context-cut.png" 'メールの右クリックメニュー（context menu）'
  convert "$work/tools-cut.png" "$work/context-cut.png" -background white -gravity north +smush 24 \
    -bordercolor white -border 8x4 "$work/menus.png"
  caption "$work/menus.png" "$output" \
    "左：「ツール」メニューの「$(shown kSettingsSubmenuText)」　右：メールの右クリックメニュー" \
    'どちらも開発用の試験プログラム（Becky! の代わりにプラグインを試すもの）の画面で、Becky! ではありません。' \
    'Left: the Tools menu with the plug-in'"'"'s submenu. Right: a mail'"'"'s context menu.' \
    'Both in the development host, which stands in for Becky!; not Becky! itself.'
  # What the picture shows of the plug-in's texts, beside it: the document
  # checks name the picture when the code's menu texts are no longer these.
  printf '%s\n' "$menu_texts" >"$output.txt"
  say "saved $output and $output.txt"
  exit 0
fi

say "starting the host on display $display and double-clicking the first mail..."
started=$(date +%s)
# Processes whose program is the editor; the host's own command line names it
# too, as an argument.
editors() { pgrep -f '^[^ ]*notepad\.exe' | sort || true; }
editors_before=$(editors)
# The picture is of a double-click on a read mail: the host starts from fresh
# settings, in a registry key of its own, so the switch that lets it open is on.
DISPLAY=$display "${wine:-wine}" "$build/bin/kestrano_demo.exe" --interactive --fresh-settings \
  --editor 'C:\windows\system32\notepad.exe' --open 1 >/dev/null 2>&1 &
# The editor is a new process: a few seconds.
until [ -n "$(comm -13 <(echo "$editors_before") <(editors))" ]; do
  if [ $(($(date +%s) - started)) -gt 900 ]; then
    echo "screenshot: the editor did not start within 15 minutes" >&2
    exit 1
  fi
  sleep 2
done
# Until the editor has drawn its text.
sleep "${KESTRANO_SCREENSHOT_SETTLE:-8}"
DISPLAY=$display import -window root "$root/screenshot-raw.png"
# The windows, on a strip of the desktop: the rest of it only makes the
# picture wider, and a wide picture is shown scaled down.
convert "$root/screenshot-raw.png" -fuzz 1% -trim +repage -bordercolor "$(convert "$root/screenshot-raw.png" \
  -format '%[pixel:p{0,0}]' info:)" -border 12 "$root/screenshot-trimmed.png"
caption "$root/screenshot-trimmed.png" "$output" \
  '開発用の試験プログラムでメールをダブルクリックし、外部エディタ（メモ帳）で開いたところ。' \
  '開発用の試験プログラムは Becky! の代わりにプラグインを試すもので、Becky! の画面ではありません。' \
  'A double-click on a mail in the development host opened it in the external editor (Notepad).' \
  'The development host stands in for Becky! to try the plug-in; this is not Becky! itself.'
say "saved $output"
