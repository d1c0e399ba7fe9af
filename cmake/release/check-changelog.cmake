# Fails unless every release note names the version being built, with one
# release date, so that a new version cannot ship with the notes, or the
# date, of the one before: the latest release's entry of CHANGELOG.md
# ("## <version> (<date>)", under at most one "## Unreleased" at the top,
# which gathers the changes made since), and in README.ja.md, the guide in
# the zip, the header's バージョン and 公開日, the first entry of its 更新履歴
# ("### <version>（<date>）") and the zip's name wherever it is given.
# INSTALL.txt takes the version from the build and must give the same date.
# Every message names the file and the line.
#
#   cmake -DCHANGELOG=<CHANGELOG.md> -DREADME=<README.ja.md> -DINSTALL=<INSTALL.txt>
#         -DVERSION=<project version> -P check-changelog.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/DocumentLines.cmake)
string(REPLACE "." "\\." version_pattern "${VERSION}")

# CHANGELOG.md: its entries' headings, and the first release among them.
function(changelog_line number line)
  if(NOT line MATCHES "^## ")
    return()
  endif()
  get_property(entries GLOBAL PROPERTY CHANGELOG_ENTRIES)
  get_property(release GLOBAL PROPERTY CHANGELOG_RELEASE)
  set_property(GLOBAL APPEND PROPERTY CHANGELOG_ENTRIES "${number}")
  if(line STREQUAL "## Unreleased")
    if(entries)
      document_problem("${CHANGELOG}:${number}" "\"## Unreleased\" below another entry; it belongs at the top, once")
    endif()
  elseif(NOT release)
    set_property(GLOBAL PROPERTY CHANGELOG_RELEASE "${number}")
    if(line MATCHES "^## ${version_pattern} \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
      set_property(GLOBAL PROPERTY CHANGELOG_DATE "${CMAKE_MATCH_1}")
    else()
      document_problem("${CHANGELOG}:${number}" "the latest release's entry is \"${line}\", not \
\"## ${VERSION} (<date>)\" (the version comes from project() in CMakeLists.txt)")
    endif()
  endif()
endfunction()
document_each_line(${CHANGELOG} changelog_line)
get_property(release GLOBAL PROPERTY CHANGELOG_RELEASE)
get_property(date GLOBAL PROPERTY CHANGELOG_DATE)
if(NOT release)
  document_problem("${CHANGELOG}" "no release's entry (a line \"## <version> (<date>)\")")
endif()

# README.ja.md: the header, the latest 更新履歴 entry, the zip's name.
function(guide_line number line)
  if(line MATCHES "^【バージョン】")
    if(NOT line MATCHES "^【バージョン】${version_pattern}\\\\?$")
      document_problem("${README}:${number}" "the header's バージョン is not ${VERSION}: ${line}")
    endif()
  elseif(line MATCHES "^【公開日】")
    if(NOT line MATCHES "^【公開日】${date}\\\\?$")
      document_problem("${README}:${number}" "the header's 公開日 is not ${date}, the date of \
${CHANGELOG}'s latest release: ${line}")
    endif()
  elseif(line MATCHES "^### [0-9]")
    get_property(seen GLOBAL PROPERTY GUIDE_HISTORY)
    set_property(GLOBAL PROPERTY GUIDE_HISTORY "${number}")
    if(NOT seen AND NOT line STREQUAL "### ${VERSION}（${date}）")
      document_problem("${README}:${number}" "the latest 更新履歴 entry is \"${line}\", not \"### ${VERSION}（${date}）\"")
    endif()
  endif()
  # The guide names the zip a user downloaded: by this version's name.
  string(REGEX MATCHALL "Kestrano-[^ `]*-win32\\.zip" zips "${line}")
  foreach(zip IN LISTS zips)
    if(NOT zip STREQUAL "Kestrano-${VERSION}-win32.zip")
      document_problem("${README}:${number}" "names the zip \"${zip}\", not \"Kestrano-${VERSION}-win32.zip\"")
    endif()
  endforeach()
endfunction()
document_each_line(${README} guide_line)
get_property(history GLOBAL PROPERTY GUIDE_HISTORY)
if(NOT history)
  document_problem("${README}" "no 更新履歴 entry (a line \"### <version>（<date>）\")")
endif()

# INSTALL.txt: the release date, and the date of its latest change.
function(notes_line number line)
  if(line MATCHES "^Released: ")
    set_property(GLOBAL APPEND PROPERTY NOTES_SEEN released)
    if(NOT line MATCHES "^Released: +${date}$")
      document_problem("${INSTALL}:${number}" "\"${line}\", not \"Released: ${date}\"")
    endif()
  elseif(line MATCHES "^@PROJECT_VERSION@ \\(")
    set_property(GLOBAL APPEND PROPERTY NOTES_SEEN changes)
    if(NOT line MATCHES "^@PROJECT_VERSION@ \\(${date}\\)")
      document_problem("${INSTALL}:${number}" "its latest change is \"${line}\", not dated ${date}")
    endif()
  endif()
endfunction()
document_each_line(${INSTALL} notes_line)
get_property(seen GLOBAL PROPERTY NOTES_SEEN)
if(NOT "released" IN_LIST seen)
  document_problem("${INSTALL}" "no line \"Released: ${date}\"")
endif()
if(NOT "changes" IN_LIST seen)
  document_problem("${INSTALL}" "no change \"@PROJECT_VERSION@ (${date}): ...\"")
endif()

document_problems(problems)
if(problems)
  message(FATAL_ERROR "the release notes do not agree on version ${VERSION}:${problems}")
endif()
message(STATUS "CHANGELOG.md, README.ja.md and INSTALL.txt: version ${VERSION}, released ${date}")
