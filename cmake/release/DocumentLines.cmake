# Reading the documents line by line for the checks, whose every message
# names the file and the line of the problem.

# document_line(<text> <offset> <out>): the line (from 1) on which the byte at
# offset lies.
function(document_line text offset out)
  string(SUBSTRING "${text}" 0 ${offset} before)
  string(REGEX REPLACE "[^\n]" "" newlines "${before}")
  string(LENGTH "${newlines}" count)
  math(EXPR line "${count} + 1")
  set(${out} ${line} PARENT_SCOPE)
endfunction()

# document_each_line(<file> <function>): calls the function with each line's
# number (from 1) and text. Lines are taken one at a time rather than as a
# CMake list, which would split a line at ";" and join lines across an
# unclosed "["; and the callee is a function, not a macro, so that a "\" or a
# "${" in a line stays text. The function reports with document_problem().
function(document_each_line file callee)
  file(READ ${file} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  set(number 0)
  while(NOT text STREQUAL "")
    math(EXPR number "${number} + 1")
    string(FIND "${text}" "\n" end)
    if(end EQUAL -1)
      set(line "${text}")
      set(text "")
    else()
      string(SUBSTRING "${text}" 0 ${end} line)
      math(EXPR end "${end} + 1")
      string(SUBSTRING "${text}" ${end} -1 text)
    endif()
    cmake_language(CALL ${callee} ${number} "${line}")
  endwhile()
endfunction()

# document_problem(<where> <what>): notes a problem, "<where>: <what>", for
# document_problems() to report.
function(document_problem where what)
  set_property(GLOBAL APPEND_STRING PROPERTY DOCUMENT_PROBLEMS "\n  ${where}: ${what}")
endfunction()

# document_problems(<out>): every problem noted so far, one per line, or "".
function(document_problems out)
  get_property(problems GLOBAL PROPERTY DOCUMENT_PROBLEMS)
  set(${out} "${problems}" PARENT_SCOPE)
endfunction()
