# Fails unless the release notes' first entry is the version being built, so
# that a new version cannot ship with the notes of the one before.
#
#   cmake -DCHANGELOG=<CHANGELOG.md> -DVERSION=<project version> -P check-changelog.cmake

file(STRINGS ${CHANGELOG} headings REGEX "^## ")
list(LENGTH headings entries)
if(entries EQUAL 0)
  message(FATAL_ERROR "${CHANGELOG} has no entry (a line \"## <version>\")")
endif()
list(GET headings 0 latest)
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT latest MATCHES "^## ${version_pattern}( |$)")
  message(FATAL_ERROR "${CHANGELOG}: the latest entry is \"${latest}\", but this is version ${VERSION}")
endif()
message(STATUS "${CHANGELOG}: the latest entry is version ${VERSION}, one of ${entries}")
