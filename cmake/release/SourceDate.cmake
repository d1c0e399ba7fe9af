# kestrano_source_date(<source dir> <var>): the time the zips' entries carry,
# in seconds since 1970. SOURCE_DATE_EPOCH when it is set (the usual way to
# give a build its date), else the time of the commit checked out in the
# source folder; so two builds of one commit date their files alike, however
# far apart they run.
function(kestrano_source_date source out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(seconds "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT seconds MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${seconds}\", not a number of seconds")
    endif()
  else()
    find_program(KESTRANO_GIT git)
    set(seconds "")
    if(KESTRANO_GIT)
      execute_process(COMMAND ${KESTRANO_GIT} -C ${source} log -1 --format=%ct
                      OUTPUT_VARIABLE seconds OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
      if(failed)
        set(seconds "")
      endif()
    endif()
    if(NOT seconds MATCHES "^[0-9]+$")
      # A zip cannot date a file before 1980.
      set(seconds 315532800)
      message(WARNING "${source} is no git checkout and SOURCE_DATE_EPOCH is not set: "
                      "the zips' files are dated 1980-01-01")
    endif()
  endif()
  if(seconds LESS 315532800)
    set(seconds 315532800)
  endif()
  set(${out} ${seconds} PARENT_SCOPE)
endfunction()
