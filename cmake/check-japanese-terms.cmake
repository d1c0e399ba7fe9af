# Fails unless the Japanese guide (README.ja.md, and so Kestrano.txt in the
# zip, made from it) calls each thing by one name, and quotes the plug-in's
# menu items whole, as the menus show them (the "&" of a shortcut is drawn
# as an underline, so "(&X)" shows as "(X)"); and that the English install
# notes quote the menu items whole too.
#
#   cmake -DGUIDE=<README.ja.md> [-DINSTALL=<INSTALL.txt>] -P check-japanese-terms.cmake

cmake_minimum_required(VERSION 3.25)
file(READ ${GUIDE} text)
set(problems "")

# The menu items the plug-in adds (editor_feature/open_in_editor.h,
# editor_feature/settings_menu.h), as shown.
set(menu_items
    "外部エディタで開く(X)" "外部エディタを設定する(Y)" "既読メールをダブルクリックしたら外部エディタで開く(D)"
    "未読メールをダブルクリックしても外部エディタで開く(U)" "外部エディタを変更する(E)...")

# Another name for something the guide already names: the name it uses.
set(other_names
    "装置名=デバイス名" "装置の名前=デバイス名" "はじめの状態=初期状態" "最初は=初期状態は" "既定=初期状態"
    "デフォルト=初期状態" "コンテキストメニュー=右クリックメニュー" "右クリックのメニュー=右クリックメニュー"
    "テンポラリ=一時フォルダ" "作業フォルダ=一時フォルダ" "プラグインのフォルダ=プラグインフォルダ"
    "ツールメニュー=「ツール」メニュー" "テキストエディタ=外部エディタ" "ダブルクリックしても何も起きない=ダブルクリックしても開かない"
    "写したファイル=書き出したファイル" "コピーしたファイル=書き出したファイル" "「エディタ」ページ=「エディタ」タブ")
foreach(pair IN LISTS other_names)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 other)
  list(GET pair 1 name)
  string(FIND "${text}" "${other}" at)
  if(NOT at EQUAL -1)
    string(APPEND problems "\n  \"${other}\": the guide calls it \"${name}\"")
  endif()
endforeach()

# The editor is always the external editor, but for the settings page of that
# name and Windows' registry editor.
set(rest "${text}")
foreach(named "外部エディタ" "「エディタ」" "レジストリエディタ")
  string(REPLACE "${named}" "" rest "${rest}")
endforeach()
string(FIND "${rest}" "エディタ" at)
if(NOT at EQUAL -1)
  string(APPEND problems "\n  \"エディタ\" alone: the guide calls it \"外部エディタ\"")
endif()

# Counts: a number and its counter run together (「3つ」, 「259バイト」), as
# Japanese readers write them; 「3 つ」 reads as typed by a translator.
if(text MATCHES "[0-9] (つ|個|行|番目|文字|バイト|ビット|通|回|件|桁|秒|分)")
  string(APPEND problems "\n  \"${CMAKE_MATCH_0}\": a number and its counter are written without a space")
endif()
if(text MATCHES "\\(&[A-Z]\\)")
  string(APPEND problems "\n  \"${CMAKE_MATCH_0}\": the menus show a shortcut without its \"&\"")
endif()

# Every quotation 「...」 that ends like a menu item (a shortcut letter, or
# "...") is one of the plug-in's items, whole.
set(rest "${text}")
while(TRUE)
  string(FIND "${rest}" "「" open)
  if(open EQUAL -1)
    break()
  endif()
  math(EXPR open "${open} + 3")
  string(SUBSTRING "${rest}" ${open} -1 rest)
  string(FIND "${rest}" "」" close)
  if(close EQUAL -1)
    string(APPEND problems "\n  a 「 that is never closed")
    break()
  endif()
  string(SUBSTRING "${rest}" 0 ${close} quoted)
  if(quoted MATCHES "\\([A-Z]\\)(\\.\\.\\.)?$|…")
    list(FIND menu_items "${quoted}" known)
    if(known EQUAL -1)
      string(APPEND problems "\n  「${quoted}」: not a menu item as the menus show it, whole")
    endif()
  endif()
endwhile()

# The English notes quote the menu items too (the menus exist only in
# Japanese): each one whole, as the menus show it.
if(DEFINED INSTALL)
  file(READ ${INSTALL} notes)
  foreach(mark "「" "」" "、" "・")
    string(REPLACE "${mark}" " " notes "${notes}")
  endforeach()
  if(notes MATCHES "\\(&[A-Z]\\)")
    string(APPEND problems "\n  ${INSTALL}: \"${CMAKE_MATCH_0}\": the menus show a shortcut without its \"&\"")
  endif()
  string(REGEX MATCHALL "[^ -~\r\n]+\\([A-Z]\\)(\\.\\.\\.)?" quoted "${notes}")
  foreach(item IN LISTS quoted)
    list(FIND menu_items "${item}" known)
    if(known EQUAL -1)
      string(APPEND problems "\n  ${INSTALL}: \"${item}\" is not a menu item as the menus show it, whole")
    endif()
  endforeach()
endif()

if(problems)
  message(FATAL_ERROR "${GUIDE}:${problems}")
endif()
message(STATUS "${GUIDE}: one name for each thing, and the menu items quoted whole")
