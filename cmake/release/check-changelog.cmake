# Fails unless every release note names the version being built, with one
# release date, so that a new version cannot ship with the notes, or the
# date, of the one before: the first entry of CHANGELOG.md ("## <version>
# (<date>)"), and in README.ja.md, the guide in the zip, the header's
# バージョン and 公開日, the first entry of its 更新履歴 ("### <version>
# （<date>）") and the zip's name wherever it is given. INSTALL.txt takes the
# version from the build and must give the same date.
#
#   cmake -DCHANGELOG=<CHANGELOG.md> -DREADME=<README.ja.md> -DINSTALL=<INSTALL.txt>
#         -DVERSION=<project version> -P check-changelog.cmake

string(REPLACE "." "\\." version_pattern "${VERSION}")
set(problems "")

file(STRINGS ${CHANGELOG} headings REGEX "^## ")
list(LENGTH headings entries)
set(date "")
if(entries EQUAL 0)
  string(APPEND problems "\n  ${CHANGELOG} has no entry (a line \"## <version> (<date>)\")")
else()
  list(GET headings 0 latest)
  if(NOT latest MATCHES "^## ${version_pattern} \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
    string(APPEND problems "\n  ${CHANGELOG}: the latest entry is \"${latest}\", not \"## ${VERSION} (<date>)\"")
  else()
    set(date ${CMAKE_MATCH_1})
  endif()
endif()

file(STRINGS ${README} header ENCODING UTF-8 REGEX "^【(バージョン|公開日)】")
file(STRINGS ${README} history ENCODING UTF-8 REGEX "^### [0-9]")
if(NOT header MATCHES "【バージョン】${version_pattern}\\\\?(;|$)")
  string(APPEND problems "\n  ${README}: the header's バージョン is not ${VERSION}: ${header}")
endif()
if(NOT header MATCHES "【公開日】${date}\\\\?(;|$)")
  string(APPEND problems "\n  ${README}: the header's 公開日 is not ${date}, the date of CHANGELOG.md's latest entry: ${header}")
endif()
list(GET history 0 latest)
if(NOT latest STREQUAL "### ${VERSION}（${date}）")
  string(APPEND problems "\n  ${README}: the latest 更新履歴 entry is \"${latest}\", not \"### ${VERSION}（${date}）\"")
endif()

# The guide names the zip a user downloaded: by this version's name.
file(STRINGS ${README} zips ENCODING UTF-8 REGEX "Kestrano-[^ `]*-win32\\.zip")
foreach(line IN LISTS zips)
  string(REGEX MATCHALL "Kestrano-[^ `]*-win32\\.zip" names "${line}")
  foreach(name IN LISTS names)
    if(NOT name STREQUAL "Kestrano-${VERSION}-win32.zip")
      string(APPEND problems "\n  ${README}: names the zip \"${name}\", not \"Kestrano-${VERSION}-win32.zip\"")
    endif()
  endforeach()
endforeach()

file(STRINGS ${INSTALL} released REGEX "^Released: ")
if(NOT released MATCHES "^Released: +${date}$")
  string(APPEND problems "\n  ${INSTALL}: \"${released}\", not \"Released: ${date}\"")
endif()
file(STRINGS ${INSTALL} changes REGEX "^@PROJECT_VERSION@ \\(")
if(NOT changes MATCHES "^@PROJECT_VERSION@ \\(${date}\\)")
  string(APPEND problems "\n  ${INSTALL}: its latest change is \"${changes}\", not dated ${date}")
endif()

if(problems)
  message(FATAL_ERROR "the release notes do not agree on version ${VERSION}:${problems}")
endif()
message(STATUS "CHANGELOG.md, README.ja.md and INSTALL.txt: version ${VERSION}, released ${date}")
