# Runs the test kit as someone on Windows would, so that it cannot rot: builds
# the package, unpacks the tests zip into a fresh folder and runs its
# run-tests.cmd with cmd.exe (Wine's, through WINE_RUN, when cross-compiled).
# Passes when the script ends in its summary line with all CHECKS counted and
# none failed; where WINE_RUN gives the code page 932, none may be skipped.
#   cmake -DBUILD_DIR=<build> -DKIT_ZIP=<zip> -DKIT_DIR=<folder> -DCHECKS=<n> [-DWINE_RUN=<runner>] -P RunTestKit.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target package
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "building the package failed:\n${output}")
endif()

file(REMOVE_RECURSE ${KIT_DIR})
file(MAKE_DIRECTORY ${KIT_DIR})
file(ARCHIVE_EXTRACT INPUT ${KIT_ZIP} DESTINATION ${KIT_DIR})

if(WINE_RUN)
  # The prefix maps the Unix root to drive Z:.
  string(REPLACE "/" "\\" script "Z:${KIT_DIR}/run-tests.cmd")
  set(run ${WINE_RUN} cmd.exe /c ${script} /nopause)
else()
  file(TO_NATIVE_PATH ${KIT_DIR}/run-tests.cmd script)
  set(run cmd.exe /c ${script} /nopause)
endif()
execute_process(COMMAND ${run} RESULT_VARIABLE result OUTPUT_VARIABLE output ECHO_OUTPUT_VARIABLE)

string(REPLACE "\r" "" output "${output}")
string(STRIP "${output}" output)
string(REGEX MATCH "[^\n]*$" summary "${output}")
if(NOT summary MATCHES "^([0-9]+) passed, ([0-9]+) failed(, ([0-9]+) skipped)?$")
  message(FATAL_ERROR "run-tests.cmd did not end with its summary line (exit code ${result})")
endif()
set(passed ${CMAKE_MATCH_1})
set(failed ${CMAKE_MATCH_2})
set(skipped 0)
if(CMAKE_MATCH_4)
  set(skipped ${CMAKE_MATCH_4})
endif()

# Each failed check's log, into the test's own output.
string(REGEX MATCHALL "[A-Za-z0-9_.-]+: FAILED" failures "${output}")
foreach(failure IN LISTS failures)
  string(REPLACE ": FAILED" "" check "${failure}")
  file(READ ${KIT_DIR}/logs/${check}.log log)
  message("---- ${check}.log\n${log}")
endforeach()

math(EXPR counted "${passed} + ${failed} + ${skipped}")
if(NOT counted EQUAL CHECKS)
  message(FATAL_ERROR "run-tests.cmd counted ${counted} checks; the kit holds ${CHECKS}")
endif()
if(NOT failed EQUAL 0 OR NOT result EQUAL 0)
  message(FATAL_ERROR "run-tests.cmd: ${failed} checks failed, exit code ${result}")
endif()
if(WINE_RUN AND NOT skipped EQUAL 0)
  message(FATAL_ERROR "run-tests.cmd skipped ${skipped} checks under Wine, which runs with code page 932")
endif()
