# cmake -DOBJDUMP=<objdump> -DOBJECTS=<object|object|...> -P no-static-constructors.cmake
# Kestrano.dll has no C runtime start-up, so nothing runs static constructors:
# a global that needs one would silently stay zero. Fails the build instead.
string(REPLACE "|" ";" objects "${OBJECTS}")
foreach(object IN LISTS objects)
  execute_process(COMMAND ${OBJDUMP} -h ${object} OUTPUT_VARIABLE sections COMMAND_ERROR_IS_FATAL ANY)
  if(sections MATCHES "\\.ctors|\\.init_array")
    message(FATAL_ERROR "${object} needs a static constructor, which Kestrano.dll never runs: make the global constinit")
  endif()
endforeach()
