# Makes the release zip as the package target does, in a scratch folder of
# its own, unpacks it, and fails unless it holds the DLL and the texts as
# Notepad on any Windows shows them: UTF-8 with a byte-order mark, and every
# line ending in CR LF.
#
#   cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DSCRATCH=<folder>
#         -DVERSION=<project version> -P check-package.cmake

include(${CONFIG})
set(zip ${SCRATCH}/Kestrano-${VERSION}-${CPACK_SYSTEM_NAME}.zip)
set(texts INSTALL.ja.txt INSTALL.txt CHANGELOG.txt)
string(REPLACE "." "\\." version_pattern "${VERSION}")

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
foreach(name Kestrano.dll ${texts})
  if(NOT EXISTS ${SCRATCH}/unpacked/${name})
    string(APPEND problems "\n  ${name}: not in the zip")
  endif()
endforeach()
file(GLOB unpacked RELATIVE ${SCRATCH}/unpacked ${SCRATCH}/unpacked/*.txt)
foreach(name IN LISTS unpacked)
  set(file ${SCRATCH}/unpacked/${name})
  file(READ ${file} head LIMIT 3 HEX)
  if(NOT head STREQUAL "efbbbf")
    string(APPEND problems "\n  ${name}: no UTF-8 byte-order mark")
  endif()
  # In hex, a byte at a time: file(READ) as text drops carriage returns.
  file(READ ${file} bytes HEX)
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
  if(name MATCHES "^INSTALL" AND NOT text MATCHES "Kestrano ${version_pattern}[^.0-9]")
    string(APPEND problems "\n  ${name}: does not name version ${VERSION}")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${zip}:${problems}")
endif()
message(STATUS "${zip}: Kestrano.dll and ${unpacked}, each UTF-8 with a byte-order mark and CR LF")
