# Fails unless the documents quote the plug-in's menu texts as its code has
# them now, the menus picture shows them so, and every link between the
# documents leads somewhere:
#   - a quoted menu text (Japanese ending in a shortcut, "(X)" or "(&X)",
#     perhaps followed by "...") is, in every document, one of the plug-in's
#     menu texts, whole; the documents in COMPLETE quote every one of them;
#   - PICTURE_RECORD, what scripts/screenshot.sh --menus noted of the menu
#     texts it drew, holds the code's texts, or the picture beside it is stale;
#   - every relative link of a Markdown document names a file that exists and,
#     after a "#", one of that file's headings, and every path it gives in a
#     code span within the repository's folders exists.
# The menu texts come from the code itself: TEXTS_PROGRAM (plugin_texts),
# run through RUNNER where the build runs Windows programs through one, prints
# the constants decoded from code page 932.
#
#   cmake -DSOURCE=<source folder> -DTEXTS_PROGRAM=<plugin_texts.exe> [-DRUNNER=<wine-run.sh>]
#         -DDOCUMENTS=<paths> -DCOMPLETE=<paths> -DPICTURE_RECORD=<path> -P check-documents.cmake
# (paths relative to SOURCE, separated by "|")

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/DocumentLines.cmake)
string(REPLACE "|" ";" DOCUMENTS "${DOCUMENTS}")
string(REPLACE "|" ";" COMPLETE "${COMPLETE}")

execute_process(COMMAND ${RUNNER} ${TEXTS_PROGRAM} OUTPUT_VARIABLE printed RESULT_VARIABLE status)
string(REGEX MATCHALL "k[A-Za-z]+\t[^\r\n]*" texts "${printed}")
set(menu_entries "")
set(menu_texts "")
foreach(entry IN LISTS texts)
  if(entry MATCHES "^(k[A-Za-z]*[Mm]enuText)\t(.*)$")
    list(APPEND menu_entries "${entry}")
    list(APPEND menu_texts "${CMAKE_MATCH_2}")
  endif()
endforeach()
list(LENGTH menu_texts count)
if(NOT status EQUAL 0 OR count EQUAL 0)
  message(FATAL_ERROR "${TEXTS_PROGRAM} did not print the plug-in's menu texts (exit code ${status}):\n${printed}")
endif()
# As a menu shows them, the "&" of a shortcut drawn as an underline.
set(menu_shown "")
foreach(text IN LISTS menu_texts)
  string(REGEX REPLACE "\\(&([A-Z])\\)" "(\\1)" shown "${text}")
  list(APPEND menu_shown "${shown}")
endforeach()
list(JOIN menu_texts ", " listed)
set(menu_source "The plug-in's menu texts are ${listed}: the constants of editor_feature/open_in_editor.h and \
editor_feature/settings_menu.h, as tests/plugin_texts.cpp prints them.")

function(check_quoted_menu_texts number line)
  foreach(mark "「" "」" "『" "』" "、" "。" "・" "（" "）" "\"" "`")
    string(REPLACE "${mark}" " " line "${line}")
  endforeach()
  string(REGEX MATCHALL "[^ -~\t]+\\(&?[A-Z]\\)(\\.\\.\\.)?" quoted "${line}")
  foreach(item IN LISTS quoted)
    string(REGEX REPLACE "\\(&([A-Z])\\)" "(\\1)" shown "${item}")
    if(NOT shown IN_LIST menu_shown)
      document_problem("${document}:${number}" "\"${item}\" is not one of the plug-in's menu texts (below)")
    endif()
  endforeach()
endfunction()

# A heading's anchor, as the Markdown renderers make it: lower case, spaces
# as "-", ASCII punctuation but "-" and "_" left out.
function(heading_anchor heading out)
  string(REGEX REPLACE "^#+ +" "" anchor "${heading}")
  string(TOLOWER "${anchor}" anchor)
  string(REGEX REPLACE "[]!\"#$%&'()*+,./:;<=>?@[\\^`{|}~]" "" anchor "${anchor}")
  string(REPLACE " " "-" anchor "${anchor}")
  set(${out} "${anchor}" PARENT_SCOPE)
endfunction()

function(check_links number line)
  # A list element that starts with "]" would not be split from the next.
  string(REPLACE "](" "<link>(" line "${line}")
  string(REGEX MATCHALL "<link>\\([^)]*\\)" links "${line}")
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^<link>\\((.*)\\)$" "\\1" target "${link}")
    if(target MATCHES "^[a-z]+:")
      continue()
    endif()
    string(FIND "${target}" "#" hash)
    if(hash EQUAL -1)
      set(path "${target}")
      set(anchor "")
    else()
      string(SUBSTRING "${target}" 0 ${hash} path)
      string(SUBSTRING "${target}" ${hash} -1 anchor)
    endif()
    if(path STREQUAL "")
      set(file "${SOURCE}/${document}")
    else()
      get_filename_component(folder "${SOURCE}/${document}" DIRECTORY)
      get_filename_component(file "${folder}/${path}" ABSOLUTE)
    endif()
    if(NOT EXISTS "${file}")
      document_problem("${document}:${number}" "links to ${path}, which does not exist")
    elseif(anchor AND file MATCHES "\\.md$")
      file(STRINGS "${file}" headings ENCODING UTF-8 REGEX "^#+ ")
      set(anchors "")
      foreach(heading IN LISTS headings)
        heading_anchor("${heading}" known)
        list(APPEND anchors "#${known}")
      endforeach()
      if(NOT anchor IN_LIST anchors)
        document_problem("${document}:${number}" "links to ${target}, but no heading there makes ${anchor}")
      endif()
    endif()
  endforeach()
endfunction()

# A path in a code span that starts with one of the repository's folders (a
# build's folder aside) names something that exists: files move between rooms.
function(check_paths number line)
  string(REGEX MATCHALL "`[A-Za-z0-9_.-]+/[A-Za-z0-9_./-]*`" spans "${line}")
  foreach(span IN LISTS spans)
    string(REGEX REPLACE "^`(.*)`$" "\\1" path "${span}")
    string(REGEX MATCH "^[^/]*" top "${path}")
    if(top STREQUAL "build" OR NOT IS_DIRECTORY "${SOURCE}/${top}")
      continue()
    endif()
    if(NOT EXISTS "${SOURCE}/${path}")
      document_problem("${document}:${number}" "names ${path}, which does not exist")
    endif()
  endforeach()
endfunction()

function(check_document number line)
  check_quoted_menu_texts(${number} "${line}")
  if(document MATCHES "\\.md$")
    check_links(${number} "${line}")
    check_paths(${number} "${line}")
  endif()
endfunction()

foreach(document IN LISTS DOCUMENTS)
  document_each_line("${SOURCE}/${document}" check_document)
endforeach()

foreach(document IN LISTS COMPLETE)
  file(READ "${SOURCE}/${document}" text)
  foreach(text_in_code shown IN ZIP_LISTS menu_texts menu_shown)
    string(FIND "${text}" "${text_in_code}" with_ampersand)
    string(FIND "${text}" "${shown}" as_shown)
    if(with_ampersand EQUAL -1 AND as_shown EQUAL -1)
      document_problem("${document}" "quotes \"${shown}\", one of the plug-in's menu texts (below), nowhere")
    endif()
  endforeach()
endforeach()

# The record beside the menus picture: one "<constant><TAB><text>" line per
# menu text, as the picture was drawn.
function(check_record number line)
  if(NOT line MATCHES "^(k[A-Za-z]*)\t(.*)$")
    document_problem("${PICTURE_RECORD}:${number}" "not \"<constant><TAB><text>\": \"${line}\"")
    return()
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(drawn "${CMAKE_MATCH_2}")
  set_property(GLOBAL APPEND PROPERTY DOCUMENT_RECORDED "${name}")
  foreach(entry IN LISTS menu_entries)
    if(entry MATCHES "^${name}\t(.*)$" AND NOT CMAKE_MATCH_1 STREQUAL drawn)
      document_problem("${PICTURE_RECORD}:${number}" "${picture} shows \"${drawn}\", where the code now has \
\"${CMAKE_MATCH_1}\" (${name}): remake it with scripts/screenshot.sh --menus")
    endif()
  endforeach()
endfunction()
if(DEFINED PICTURE_RECORD)
  string(REGEX REPLACE "\\.txt$" "" picture "${PICTURE_RECORD}")
  document_each_line("${SOURCE}/${PICTURE_RECORD}" check_record)
  get_property(recorded GLOBAL PROPERTY DOCUMENT_RECORDED)
  foreach(entry IN LISTS menu_entries)
    string(REGEX MATCH "^k[A-Za-z]*" name "${entry}")
    if(NOT name IN_LIST recorded)
      document_problem("${PICTURE_RECORD}" "${picture} shows no ${name}, which the code has: remake it with \
scripts/screenshot.sh --menus")
    endif()
  endforeach()
endif()

document_problems(problems)
if(problems)
  message(FATAL_ERROR "the documents do not quote the plug-in as it is:${problems}\n${menu_source}")
endif()
list(JOIN DOCUMENTS ", " checked)
message(STATUS "${checked}: the plug-in's menu texts quoted as the code has them, every link leading somewhere")
