# Fails unless the Japanese guide (README.ja.md, and so Kestrano.txt in the
# zip, made from it) calls each thing by one name, in a user's words rather
# than the plug-in's inner workings, quotes the plug-in's menu items as the
# menus show them (the "&" of a shortcut is drawn as an underline, so "(&X)"
# shows as "(X)"), and refers to its own sections as 「■ 設定」, never as a
# bare 「設定」 that reads as a menu; and that the English install notes show
# the shortcuts so too. That the quoted menu items are the plug-in's own, as
# its code has them, is check-documents.cmake's to say. Every message names
# the file and the line, and the list the word was found in.
#
#   cmake -DGUIDE=<README.ja.md> [-DINSTALL=<INSTALL.txt>] -P check-japanese-terms.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/DocumentLines.cmake)
file(READ ${GUIDE} text)
set(here "cmake/release/check-japanese-terms.cmake")

# problem_at(<offset> <what>): a problem at that byte of the guide.
function(problem_at offset what)
  document_line("${text}" ${offset} line)
  document_problem("${GUIDE}:${line}" "${what}")
endfunction()

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
    problem_at(${at} "\"${other}\": the guide calls it \"${name}\" (other_names in ${here})")
  endif()
endforeach()

# The plug-in's inner workings: a user neither sees them nor can act on them.
set(inner_words "BKA_" "ホスト" "コードページ" "制御文字" "フック" "スレッド" "サブクラス" "プロシージャ")
foreach(word IN LISTS inner_words)
  string(FIND "${text}" "${word}" at)
  if(NOT at EQUAL -1)
    problem_at(${at} "\"${word}\": how the plug-in works inside, which a user cannot act on (inner words in ${here})")
  endif()
endforeach()
# It was tried only under Wine, in the development test program: the header
# says so, and nothing else tells what Becky! does under Wine.
string(REGEX REPLACE "(^|\n)【動作確認】[^\n]*" "\\1【動作確認】" rest "${text}")
string(FIND "${rest}" "Wine" at)
if(NOT at EQUAL -1)
  document_line("${rest}" ${at} line)
  document_problem("${GUIDE}:${line}" "Wine outside the header's 動作確認, where the guide says how it was tried")
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
function(lone_editor number line)
  foreach(named "外部エディタ" "「エディタ」" "レジストリエディタ")
    string(REPLACE "${named}" "" line "${line}")
  endforeach()
  string(FIND "${line}" "エディタ" at)
  if(NOT at EQUAL -1)
    document_problem("${GUIDE}:${number}" "\"エディタ\" alone: the guide calls it \"外部エディタ\"")
  endif()
endfunction()
document_each_line(${GUIDE} lone_editor)

# Counts: a number and its counter run together (「3つ」, 「259バイト」), as
# Japanese readers write them; 「3 つ」 reads as typed by a translator.
if(text MATCHES "[0-9] (つ|個|行|番目|文字|バイト|ビット|通|回|件|桁|秒|分)")
  string(FIND "${text}" "${CMAKE_MATCH_0}" at)
  problem_at(${at} "\"${CMAKE_MATCH_0}\": a number and its counter are written without a space")
endif()
if(text MATCHES "\\(&[A-Z]\\)")
  string(FIND "${text}" "${CMAKE_MATCH_0}" at)
  problem_at(${at} "\"${CMAKE_MATCH_0}\": the menus show a shortcut without its \"&\"")
endif()

# Every quotation 「...」 that names a section names one of the guide's, and
# one that reads like a section's name is written as a reference to it.
set(rest "${text}")
set(consumed 0)
while(TRUE)
  string(FIND "${rest}" "「" open)
  if(open EQUAL -1)
    break()
  endif()
  math(EXPR open "${open} + 3")
  math(EXPR at "${consumed} + ${open} - 3")
  math(EXPR consumed "${consumed} + ${open}")
  string(SUBSTRING "${rest}" ${open} -1 rest)
  string(FIND "${rest}" "」" close)
  if(close EQUAL -1)
    problem_at(${at} "a 「 that is never closed")
    break()
  endif()
  string(SUBSTRING "${rest}" 0 ${close} quoted)
  # A link inside the quotation shows as its text.
  string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" quoted "${quoted}")
  if(quoted MATCHES "^(■|◆) ")
    if(NOT quoted IN_LIST sections)
      problem_at(${at} "「${quoted}」: no section of the guide is headed so")
    endif()
  else()
    foreach(mark ■ ◆)
      if("${mark} ${quoted}" IN_LIST sections)
        problem_at(${at} "「${quoted}」: reads as a menu's name; the section is 「${mark} ${quoted}」")
      endif()
    endforeach()
  endif()
endwhile()

# The English notes quote the menu items too (the menus exist only in
# Japanese), as the menus show them.
function(notes_shortcut number line)
  if(line MATCHES "\\(&[A-Z]\\)")
    document_problem("${INSTALL}:${number}" "\"${CMAKE_MATCH_0}\": the menus show a shortcut without its \"&\"")
  endif()
endfunction()
if(DEFINED INSTALL)
  document_each_line(${INSTALL} notes_shortcut)
endif()

document_problems(problems)
if(problems)
  message(FATAL_ERROR "the guide's words:${problems}")
endif()
message(STATUS "${GUIDE}: one name for each thing, in a user's words, the menu items as the menus show them, "
               "the sections referred to by their headings")
