# The test kit: the suite's checks packed with the programs they run and a
# run-tests.cmd that runs them on a Windows machine with no toolchain. ctest
# and run-tests.cmd both take their checks from kit_test(), so neither can
# gain or lose a check, or an argument, without the other.

# kit_test(<name> COMMAND <target> [<args>...] [CODE_PAGE <n>])
# adds the check to ctest and to the kit. CODE_PAGE: the check needs that
# system ANSI code page; the kit skips it elsewhere, and ctest labels it cp<n>
# (ctest -LE cp932 leaves such checks out on a system with another).
function(kit_test name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "CODE_PAGE" "COMMAND")
  get_property(written GLOBAL PROPERTY KESTRANO_KIT_WRITTEN)
  if(written)
    message(FATAL_ERROR "kit_test(${name}): the test kit is already written; add checks before write_test_kit()")
  endif()
  if(NOT name MATCHES "^[A-Za-z0-9_.-]+$")
    message(FATAL_ERROR "kit_test(${name}): the kit names its logs after the check; use letters, digits, _ . -")
  endif()
  list(POP_FRONT ARG_COMMAND program)
  if(NOT TARGET "${program}")
    message(FATAL_ERROR "kit_test(${name}): ${program} is not a program of this build, so the kit cannot hold it")
  endif()
  # Each argument is quoted in run-tests.cmd; these would still be reinterpreted
  # by cmd or by the program's own parsing of its command line.
  foreach(arg IN LISTS ARG_COMMAND)
    if(arg MATCHES "[\"%!^]" OR arg MATCHES "\\\\$")
      message(FATAL_ERROR "kit_test(${name}): argument '${arg}' would not reach the program intact through cmd")
    endif()
  endforeach()
  add_test(NAME ${name} COMMAND ${program} ${ARG_COMMAND})
  if(ARG_CODE_PAGE)
    set_property(TEST ${name} APPEND PROPERTY LABELS cp${ARG_CODE_PAGE})
  endif()
  set_property(GLOBAL APPEND PROPERTY KESTRANO_KIT_CHECKS ${name})
  set_property(GLOBAL PROPERTY KESTRANO_KIT_PROGRAM_${name} ${program})
  set_property(GLOBAL PROPERTY KESTRANO_KIT_ARGS_${name} ${ARG_COMMAND})
  set_property(GLOBAL PROPERTY KESTRANO_KIT_CODE_PAGE_${name} "${ARG_CODE_PAGE}")
endfunction()

# outside_test_kit(<tests>...): ctest entries that are no checks (the Wine
# session around the suite), so the kit leaves them out on purpose.
function(outside_test_kit)
  set_property(GLOBAL APPEND PROPERTY KESTRANO_KIT_OUTSIDE ${ARGN})
endfunction()

# write_test_kit(ZIP <file name> WINE_RUN <runner or empty> EXTRA <targets>...)
# writes run-tests.cmd, puts it, the DLL, every program the checks run and the
# EXTRA programs they need (settings_guard, which run-tests.cmd runs around the
# checks, among them) into the package's "tests" component, and adds the
# ctest entry test_kit, which builds the package, unpacks the tests zip into a
# fresh folder and runs run-tests.cmd there. Call it after the last check, in
# the directory that adds the tests.
function(write_test_kit)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "" "ZIP;WINE_RUN" "EXTRA")
  get_property(checks GLOBAL PROPERTY KESTRANO_KIT_CHECKS)
  get_property(outside GLOBAL PROPERTY KESTRANO_KIT_OUTSIDE)
  get_directory_property(tests TESTS)
  foreach(test IN LISTS tests)
    if(NOT test IN_LIST checks AND NOT test IN_LIST outside)
      message(FATAL_ERROR "ctest entry ${test} is missing from the test kit: add it with kit_test(), "
                          "or, if it is no check, name it in outside_test_kit()")
    endif()
  endforeach()

  set(programs "")
  set(runs "")
  foreach(check IN LISTS checks)
    get_property(program GLOBAL PROPERTY KESTRANO_KIT_PROGRAM_${check})
    get_property(args GLOBAL PROPERTY KESTRANO_KIT_ARGS_${check})
    get_property(code_page GLOBAL PROPERTY KESTRANO_KIT_CODE_PAGE_${check})
    list(APPEND programs ${program})
    set(line "if not defined skip \"$<TARGET_FILE_NAME:${program}>\"")
    foreach(arg IN LISTS args)
      string(APPEND line " \"${arg}\"")
    endforeach()
    string(STRIP "call :need ${code_page}" need)
    string(APPEND runs "${need}\n${line} >\"logs\\${check}.log\" 2>&1\ncall :report ${check} %errorlevel%\n")
  endforeach()
  list(REMOVE_DUPLICATES programs)
  list(LENGTH checks KIT_CHECK_COUNT)
  # ... and settings_untouched, which run-tests.cmd adds itself around the others.
  math(EXPR KIT_CHECK_COUNT "${KIT_CHECK_COUNT} + 1")

  if(KESTRANO_X86)
    set(KIT_BUILD "32-bit build, the DLL the mail client loads")
  else()
    set(KIT_BUILD "64-bit test bench")
  endif()
  set(KIT_VERSION ${PROJECT_VERSION})
  set(KIT_RUNS "${runs}")
  file(READ ${CMAKE_SOURCE_DIR}/cmake/testkit/run-tests.cmd.in template)
  string(CONFIGURE "${template}" script @ONLY)
  set(cmd ${CMAKE_CURRENT_BINARY_DIR}/run-tests.cmd)
  file(GENERATE OUTPUT ${cmd} CONTENT "${script}" NEWLINE_STYLE CRLF)

  install(TARGETS Kestrano ${programs} ${ARG_EXTRA} RUNTIME DESTINATION . COMPONENT tests)
  install(FILES ${cmd} DESTINATION . COMPONENT tests)

  add_test(NAME test_kit
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DKIT_ZIP=${CMAKE_BINARY_DIR}/${ARG_ZIP}
                   -DKIT_DIR=${CMAKE_BINARY_DIR}/test-kit -DCHECKS=${KIT_CHECK_COUNT} -DWINE_RUN=${ARG_WINE_RUN}
                   -P ${CMAKE_SOURCE_DIR}/cmake/testkit/RunTestKit.cmake)
  set_tests_properties(test_kit PROPERTIES LABELS kit TIMEOUT 1800)
  set_property(GLOBAL PROPERTY KESTRANO_KIT_WRITTEN ON)
endfunction()
