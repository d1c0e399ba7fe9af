# Two builds of one commit give the same bytes. Builds the release zip of
# this build, then copies the sources (without .git and build folders) to a
# folder of another name and depth, builds the DLL and its zip there a second
# time, later, with nothing but the DLL (no tests, no GoogleTest), and fails
# unless Kestrano.dll and the zip are byte-identical: a link time, a folder
# name or a file date in either would set them apart.
#
#   cmake -DSOURCE=<source dir> -DBUILD_DIR=<this build> -DSCRATCH=<folder>
#         -DCPACK=<cpack> -DGENERATOR=<generator> -DTOOLCHAIN=<toolchain file>
#         -DBUILD_TYPE=<config> -DZIP_NAME=<zip file name> -P check-reproducible.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/SourceDate.cmake)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed)
    message(FATAL_ERROR "${what} failed:\n${output}")
  endif()
endfunction()

# The second build has no .git: both take the commit's date from here.
kestrano_source_date(${SOURCE} seconds)
set(ENV{SOURCE_DATE_EPOCH} ${seconds})

file(REMOVE_RECURSE ${SCRATCH})
set(first ${SCRATCH}/first-zip)
run("cpack of ${BUILD_DIR}" ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${first}
    -D CPACK_COMPONENTS_ALL=plugin)

set(copy ${SCRATCH}/elsewhere/kestrano-source)
file(GLOB entries LIST_DIRECTORIES true RELATIVE ${SOURCE} ${SOURCE}/*)
file(RELATIVE_PATH inside ${SOURCE} ${BUILD_DIR})
string(REGEX REPLACE "/.*" "" inside "${inside}")
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^(\\.git|build.*)$" AND NOT entry STREQUAL inside)
    file(COPY ${SOURCE}/${entry} DESTINATION ${copy})
  endif()
endforeach()

set(second ${SCRATCH}/elsewhere/dll-only)
file(RELATIVE_PATH toolchain ${SOURCE} ${TOOLCHAIN})
run("configuring the copy" ${CMAKE_COMMAND} -G ${GENERATOR} -S ${copy} -B ${second}
    -DCMAKE_TOOLCHAIN_FILE=${copy}/${toolchain} -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DKESTRANO_BUILD_TESTS=OFF)
run("building the copy's package" ${CMAKE_COMMAND} --build ${second} --target package)

set(different "")
foreach(pair "${BUILD_DIR}/bin/Kestrano.dll|${second}/bin/Kestrano.dll" "${first}/${ZIP_NAME}|${second}/${ZIP_NAME}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 one)
  list(GET pair 1 other)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${one} ${other} RESULT_VARIABLE differs)
  if(differs)
    string(APPEND different "\n  ${one}\n  ${other}")
  endif()
endforeach()
if(different)
  message(FATAL_ERROR "two builds of the same sources differ:${different}")
endif()
file(SHA256 ${second}/bin/Kestrano.dll dll)
file(SHA256 ${second}/${ZIP_NAME} zip)
message(STATUS "built twice, the same bytes: Kestrano.dll ${dll}, ${ZIP_NAME} ${zip}")
