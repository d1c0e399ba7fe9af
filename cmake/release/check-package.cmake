# Makes the release zip as the package target does, in a scratch folder of
# its own, unpacks it, and fails unless it holds what a user needs and no
# more, as Notepad on any Windows shows it:
#   - exactly the DLL, the guide (Kestrano.txt), the English install notes,
#     the licence, the guide's pictures and SHA256SUMS.txt;
#   - laid out to be unpacked into the mail client's plug-in folder, which
#     other plug-ins share: at the top only files named after the plug-in,
#     everything else in a folder of that name;
#   - every text UTF-8 with a byte-order mark (SHA256SUMS.txt: ASCII, so
#     sha256sum reads it) and every line ending in CR LF;
#   - SHA256SUMS.txt the checksum of every other file, by its path in the zip;
#   - every file the texts name in the plug-in's folder there, and named
#     with that folder, where a user unpacking the zip finds it;
#   - the guide laid out as a Japanese readme: the header's fields and the
#     sections in order, the version being built, a file list (ファイル構成)
#     naming exactly the zip's files, about as long as such readmes are, no
#     line wider than Notepad shows at a glance, no quotation 「...」 or
#     bracket broken across lines, no Markdown left, and every Japanese
#     character of README.ja.md in it, in the same order.
#
#   cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DSCRATCH=<folder>
#         -DVERSION=<project version> -DREADME=<README.ja.md> -P check-package.cmake

cmake_minimum_required(VERSION 3.25)
include(${CONFIG})
include(${CMAKE_CURRENT_LIST_DIR}/MarkdownText.cmake)
set(zip ${SCRATCH}/Kestrano-${VERSION}-${CPACK_SYSTEM_NAME}.zip)
set(folder Kestrano)
set(expected Kestrano.dll Kestrano.txt ${folder}/INSTALL.txt ${folder}/LICENSE.txt ${folder}/SHA256SUMS.txt
             ${folder}/menus.png ${folder}/screenshot.png)
set(sums_file ${folder}/SHA256SUMS.txt)
# Japanese freeware readmes run to about 200 lines; a much longer one is one
# a user stops reading.
set(guide_most_lines 220)
string(REPLACE "." "\\." version_pattern "${VERSION}")
string(ASCII 239 187 191 bom)

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/unpacked)
# The plug-in's zip only: the test kit, a zip of its own, is test_kit's.
execute_process(COMMAND ${CPACK} --config ${CONFIG} -B ${SCRATCH} -D CPACK_COMPONENTS_ALL=plugin
                RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()
if(NOT EXISTS ${zip})
  file(GLOB made ${SCRATCH}/*.zip)
  message(FATAL_ERROR "no ${zip}; cpack made: ${made}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${SCRATCH}/unpacked
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot unpack ${zip}")
endif()

set(problems "")
file(GLOB_RECURSE unpacked LIST_DIRECTORIES false RELATIVE ${SCRATCH}/unpacked ${SCRATCH}/unpacked/*)
list(SORT unpacked)
if(NOT unpacked STREQUAL expected)
  string(APPEND problems "\n  holds ${unpacked}, not ${expected}")
endif()
# Another plug-in's INSTALL.txt or LICENSE.txt, unpacked into the same folder,
# would overwrite ours or be overwritten by it.
foreach(name IN LISTS unpacked)
  if(NOT name MATCHES "^Kestrano(\\.[^/]+|-[^/]+|/.+)$")
    string(APPEND problems "\n  ${name}: at the top of the zip, not named after the plug-in nor in its folder "
                           "\"${folder}\": it may collide with another plug-in's file in the plug-in folder")
  endif()
endforeach()

# The lines of a text as a list, CR LF or LF, without the byte-order mark.
# Brackets, semicolons and a backslash ending a line would split or join
# list items: none is in a line of these texts that the checks below look at
# whole. Paths take the zip's "/" for Windows' "\".
function(text_lines file out)
  file(READ ${file} text)
  string(REGEX REPLACE "^${bom}" "" text "${text}")
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\\" "/" text "${text}")
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "(" text "${text}")
  string(REPLACE "]" ")" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

foreach(name IN LISTS unpacked)
  if(NOT name MATCHES "\\.txt$")
    continue()
  endif()
  set(file ${SCRATCH}/unpacked/${name})
  file(READ ${file} head LIMIT 3 HEX)
  file(READ ${file} bytes HEX)
  if(name STREQUAL sums_file)
    if(head STREQUAL "efbbbf")
      string(APPEND problems "\n  ${name}: a byte-order mark, which sha256sum -c takes for part of the first name")
    endif()
  elseif(NOT head STREQUAL "efbbbf")
    string(APPEND problems "\n  ${name}: no UTF-8 byte-order mark")
  endif()
  # In hex, a byte at a time: file(READ) as text drops carriage returns.
  string(REGEX MATCHALL ".." bytes "${bytes}")
  set(previous "")
  set(unpaired OFF)
  foreach(byte IN LISTS bytes)
    if((byte STREQUAL "0a" AND NOT previous STREQUAL "0d") OR (previous STREQUAL "0d" AND NOT byte STREQUAL "0a"))
      set(unpaired ON)
      break()
    endif()
    set(previous ${byte})
  endforeach()
  if(unpaired OR previous STREQUAL "0d")
    string(APPEND problems "\n  ${name}: a line that does not end in CR LF")
  endif()
  file(READ ${file} text)
  if(name STREQUAL "${folder}/INSTALL.txt" AND NOT text MATCHES "Kestrano ${version_pattern}[^.0-9]")
    string(APPEND problems "\n  ${name}: does not name version ${VERSION}")
  endif()
endforeach()

# SHA256SUMS.txt: "<sum>  <path in the zip>" for each other file, in the
# zip's order.
if(EXISTS ${SCRATCH}/unpacked/${sums_file})
  text_lines(${SCRATCH}/unpacked/${sums_file} sums)
  list(REMOVE_ITEM sums "")
  set(summed "")
  foreach(line IN LISTS sums)
    if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
      string(APPEND problems "\n  SHA256SUMS.txt: \"${line}\" is not \"<sum>  <name>\"")
      continue()
    endif()
    set(sum ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    list(APPEND summed ${name})
    if(NOT EXISTS ${SCRATCH}/unpacked/${name})
      string(APPEND problems "\n  SHA256SUMS.txt: names ${name}, which is not in the zip")
      continue()
    endif()
    file(SHA256 ${SCRATCH}/unpacked/${name} actual)
    if(NOT sum STREQUAL actual)
      string(APPEND problems "\n  SHA256SUMS.txt: ${name} is ${actual}, not ${sum}")
    endif()
  endforeach()
  set(others ${unpacked})
  list(REMOVE_ITEM others ${sums_file})
  if(NOT summed STREQUAL others)
    string(APPEND problems "\n  SHA256SUMS.txt: sums ${summed}, not ${others}")
  endif()
endif()

# The texts start with their title, underlined as wide as it is, and name
# the files of the plug-in's folder as a user finds them after unpacking:
# with the folder, and only those that are there.
foreach(name Kestrano.txt ${folder}/INSTALL.txt)
  if(NOT EXISTS ${SCRATCH}/unpacked/${name})
    continue()
  endif()
  text_lines(${SCRATCH}/unpacked/${name} lines)
  list(GET lines 0 title)
  list(GET lines 1 rule)
  kestrano_text_width("${title}" width)
  string(LENGTH "${rule}" rule_width)
  if(NOT title MATCHES "^Kestrano" OR NOT rule MATCHES "^=+$" OR NOT rule_width EQUAL width)
    string(APPEND problems "\n  ${name}: does not start with its title, underlined as wide as it is")
  endif()
  string(REGEX MATCHALL "${folder}/[A-Za-z0-9_.-]*[A-Za-z0-9_-]" named "${lines}")
  list(REMOVE_DUPLICATES named)
  foreach(path IN LISTS named)
    if(NOT path IN_LIST unpacked)
      string(APPEND problems "\n  ${name}: names ${path}, which is not in the zip")
    endif()
  endforeach()
  string(REGEX REPLACE "${folder}/[A-Za-z0-9_.-]+" "" rest "${lines}")
  foreach(path IN LISTS unpacked)
    if(path MATCHES "^${folder}/(.+)$")
      string(FIND "${rest}" "${CMAKE_MATCH_1}" at)
      if(NOT at EQUAL -1)
        string(APPEND problems "\n  ${name}: names ${CMAKE_MATCH_1} without its folder ${folder}")
      endif()
    endif()
  endforeach()
endforeach()

# The guide.
set(guide ${SCRATCH}/unpacked/Kestrano.txt)
if(EXISTS ${guide})
  text_lines(${guide} lines)
  # The header's fields and the sections, each where a reader looks for it.
  set(order 【名称】Kestrano "【バージョン】${VERSION}" 【公開日】 【作者】Brenvolt 【種別・ライセンス】 【動作環境】
            【動作確認】 【問題の報告先】 "■ 概要" "■ 動作環境" "■ ファイル構成"
            "■ インストール" "■ 使い方" "■ 設定" "■ アンインストール" "■ 書き出すファイル"
            "■ 困ったとき" "■ 制限事項" "■ 更新履歴")
  set(at 0)
  set(line_number 0)
  set(history OFF)
  set(released "")
  set(latest "")
  set(in_picture OFF)
  set(japanese "")
  set(in_file_list OFF)
  set(listed "")
  foreach(line IN LISTS lines)
    math(EXPR line_number "${line_number} + 1")
    list(LENGTH order left)
    if(at LESS left)
      list(GET order ${at} wanted)
      string(FIND "${line}" "${wanted}" found)
      if(found EQUAL 0)
        math(EXPR at "${at} + 1")
      endif()
    endif()
    if(line MATCHES "^【公開日】(.*)$")
      set(released "${CMAKE_MATCH_1}")
    endif()
    # ファイル構成: its items name the zip's files.
    if(line MATCHES "^■ ")
      set(in_file_list OFF)
    endif()
    if(line STREQUAL "■ ファイル構成")
      set(in_file_list ON)
    elseif(in_file_list AND line MATCHES "^(・|  )")
      string(REGEX MATCHALL "([A-Za-z0-9_-]+/)?[A-Za-z0-9_-]+\\.[a-z]+" files "${line}")
      list(APPEND listed ${files})
    endif()
    if(line STREQUAL "■ 更新履歴")
      set(history ON)
    elseif(history AND latest STREQUAL "" AND line MATCHES "^◆ ")
      set(latest "${line}")
    endif()
    kestrano_text_width("${line}" width)
    if(width GREATER 80)
      string(APPEND problems "\n  Kestrano.txt:${line_number}: ${width} columns wide")
    endif()
    # A quotation names what a reader searches for: on one line, whole.
    string(REGEX MATCHALL "「" opened "${line}")
    string(REGEX MATCHALL "」" closed "${line}")
    list(LENGTH opened opened)
    list(LENGTH closed closed)
    if(NOT opened EQUAL closed)
      string(APPEND problems "\n  Kestrano.txt:${line_number}: a quotation 「...」 broken across lines")
    endif()
    # Nor a button ［OK］ or a reference （→「■ ...」） cut after what opens it,
    # or before what closes it.
    if(line MATCHES "(（|「|［|→)$" OR line MATCHES "^ *(）|」|］)")
      string(APPEND problems "\n  Kestrano.txt:${line_number}: a line that parts brackets from what they hold: \"${line}\"")
    endif()
    if(line MATCHES "^ *(#|```)|\\*\\*|`|\\)\\(|^ *- ")
      string(APPEND problems "\n  Kestrano.txt:${line_number}: Markdown left in \"${line}\"")
    endif()
    # The pictures' lines name a file the Markdown names by its path.
    if(line MATCHES "^（図 ")
      set(in_picture ON)
    endif()
    if(NOT in_picture)
      string(APPEND japanese "${line}")
    endif()
    # Up to the blank line after it: the caption may hold "（...）" too.
    if(in_picture AND line STREQUAL "")
      set(in_picture OFF)
    endif()
  endforeach()
  # As Notepad counts them: after the last line's CR LF, no line follows.
  list(LENGTH lines line_count)
  if(lines MATCHES ";$")
    math(EXPR line_count "${line_count} - 1")
  endif()
  if(line_count GREATER guide_most_lines)
    string(APPEND problems "\n  Kestrano.txt: ${line_count} lines, more than ${guide_most_lines}")
  endif()
  list(SORT listed)
  if(NOT listed STREQUAL unpacked)
    string(APPEND problems "\n  Kestrano.txt: ■ ファイル構成 lists ${listed}, but the zip holds ${unpacked}")
  endif()
  list(LENGTH order left)
  if(at LESS left)
    list(GET order ${at} missing)
    string(APPEND problems "\n  Kestrano.txt: no \"${missing}\" where it belongs (the header, then the sections in order)")
  endif()
  if(NOT latest MATCHES "^◆ ${version_pattern}（([0-9-]+)）$")
    string(APPEND problems "\n  Kestrano.txt: the latest 更新履歴 entry is \"${latest}\", not version ${VERSION} with its date")
  elseif(NOT CMAKE_MATCH_1 STREQUAL released)
    string(APPEND problems "\n  Kestrano.txt: 公開日 ${released}, but the latest 更新履歴 entry is dated ${CMAKE_MATCH_1}")
  endif()

  # Every Japanese character of README.ja.md, in order: nothing dropped,
  # repeated or cut apart when the paragraphs were wrapped.
  text_lines(${README} source_lines)
  set(source "")
  foreach(line IN LISTS source_lines)
    # A link's target (an anchor named in Japanese) is not shown.
    string(REGEX REPLACE "\\)\\([^)]*\\)" ")" line "${line}")
    if(NOT line MATCHES "^!\\(")
      string(APPEND source "${line}")
    endif()
  endforeach()
  foreach(variable source japanese)
    string(REGEX REPLACE "[ -~]" "" ${variable} "${${variable}}")
    string(REGEX REPLACE "・|■|◆" "" ${variable} "${${variable}}")
  endforeach()
  if(NOT japanese STREQUAL source)
    string(LENGTH "${source}" source_length)
    string(LENGTH "${japanese}" text_length)
    set(index 0)
    while(index LESS source_length AND index LESS text_length)
      string(SUBSTRING "${source}" ${index} 3 a)
      string(SUBSTRING "${japanese}" ${index} 3 b)
      if(NOT a STREQUAL b)
        break()
      endif()
      math(EXPR index "${index} + 3")
    endwhile()
    string(SUBSTRING "${source}" ${index} 60 a)
    string(SUBSTRING "${japanese}" ${index} 60 b)
    string(APPEND problems "\n  Kestrano.txt: its Japanese text parts from README.ja.md's: \"${b}\" where README.ja.md has \"${a}\"")
  endif()
endif()

if(problems)
  message(FATAL_ERROR "${zip}:${problems}")
endif()
message(STATUS "${zip}: ${unpacked}; texts UTF-8 with a byte-order mark and CR LF, checksums right, "
               "Kestrano.txt laid out in order and the same as README.ja.md")
