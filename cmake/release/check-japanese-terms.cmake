# Fails unless the Japanese guide (README.ja.md, and so Kestrano.txt in the
# zip, made from it) calls each thing by one name, in a user's words rather
# than the plug-in's inner workings, quotes the plug-in's menu items whole,
# as the menus show them (the "&" of a shortcut is drawn as an underline, so
# "(&X)" shows as "(X)"), and refers to its own sections as 「■ 設定」, never
# as a bare 「設定」 that reads as a menu; and that the English install
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
    "写したファイル=書き出したファイル" "コピーしたファイル=書き出したファイル" "「エディタ」ページ=「エディタ」タブ"
    "開発用のホスト=開発用の試験プログラム" "何も起動しません=外部エディタは開きません")
foreach(pair IN LISTS other_names)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 other)
  list(GET pair 1 name)
  string(FIND "${text}" "${other}" at)
  if(NOT at EQUAL -1)
    string(APPEND problems "\n  \"${other}\": the guide calls it \"${name}\"")
  endif()
endforeach()

# The plug-in's inner workings: a user neither sees them nor can act on them.
foreach(word "BKA_" "ホスト" "コードページ" "制御文字" "フック" "スレッド" "サブクラス" "プロシージャ")
  string(FIND "${text}" "${word}" at)
  if(NOT at EQUAL -1)
    string(APPEND problems "\n  \"${word}\": how the plug-in works inside, which a user cannot act on")
  endif()
endforeach()
# It was tried only under Wine, in the development test program: the header
# says so, and nothing else tells what Becky! does under Wine.
string(REGEX REPLACE "(^|\n)【動作確認】[^\n]*" "" rest "${text}")
if(rest MATCHES "[^\n]*Wine[^\n]*")
  set(where "${CMAKE_MATCH_0}")
  string(APPEND problems "\n  \"${where}\": Wine outside the header's 動作確認, where the guide says how it was tried")
endif()

# The guide's own sections, as the plain text heads them.
file(STRINGS ${GUIDE} headings ENCODING UTF-8 REGEX "^###? ")
set(sections "")
foreach(heading IN LISTS headings)
  string(REGEX REPLACE "^## " "■ " heading "${heading}")
  string(REGEX REPLACE "^### " "◆ " heading "${heading}")
  list(APPEND sections "${heading}")
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
  # A link inside the quotation shows as its text.
  string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" quoted "${quoted}")
  if(quoted MATCHES "^(■|◆) ")
    if(NOT quoted IN_LIST sections)
      string(APPEND problems "\n  「${quoted}」: no section of the guide is headed so")
    endif()
  else()
    foreach(mark ■ ◆)
      if("${mark} ${quoted}" IN_LIST sections)
        string(APPEND problems "\n  「${quoted}」: reads as a menu's name; the section is 「${mark} ${quoted}」")
      endif()
    endforeach()
  endif()
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
message(STATUS "${GUIDE}: one name for each thing, in a user's words, the menu items quoted whole, "
               "the sections referred to by their headings")
