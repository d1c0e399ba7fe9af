# Run by CPack after it has made the zips (CPACK_POST_BUILD_SCRIPTS). CPack
# dates each entry from this build and stores the builder's user, group and
# access times, so no two builds gave the same zip. Each zip is made again
# from its files: every entry dated from the commit (SourceDate.cmake), read
# and write permission only, no extra fields, in byte order of the names. The
# plug-in's zip also gets SHA256SUMS.txt where CPACK_KESTRANO_SUMS says (in
# the plug-in's own folder of the zip): the checksums of its other files in
# the form sha256sum -c reads, each named by its path in the zip, so a user
# can check what they unpacked from where they unpacked it.

include(${CMAKE_CURRENT_LIST_DIR}/SourceDate.cmake)

if(NOT CPACK_KESTRANO_ZIP OR NOT CPACK_KESTRANO_TOUCH)
  message(WARNING "no zip or touch program: the packages stay as CPack made them, "
                  "dated from this build, and without SHA256SUMS.txt")
  return()
endif()
kestrano_source_date(${CPACK_KESTRANO_SOURCE_DIR} seconds)

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.zip$")
    continue()
  endif()
  get_filename_component(name ${package} NAME)
  set(files_dir ${package}.files)
  file(REMOVE_RECURSE ${files_dir})
  file(MAKE_DIRECTORY ${files_dir})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${package} WORKING_DIRECTORY ${files_dir}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot unpack ${package}")
  endif()
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${files_dir} ${files_dir}/*)

  if(name STREQUAL "${CPACK_ARCHIVE_PLUGIN_FILE_NAME}.zip")
    list(SORT files)
    set(sums "")
    foreach(file IN LISTS files)
      file(SHA256 ${files_dir}/${file} sum)
      string(APPEND sums "${sum}  ${file}\r\n")
    endforeach()
    file(WRITE ${files_dir}/${CPACK_KESTRANO_SUMS} "${sums}")
    list(APPEND files ${CPACK_KESTRANO_SUMS})
  endif()

  list(SORT files)
  foreach(file IN LISTS files)
    file(CHMOD ${files_dir}/${file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    execute_process(COMMAND ${CPACK_KESTRANO_TOUCH} -d @${seconds} ${file} WORKING_DIRECTORY ${files_dir}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot date ${file} in ${files_dir}")
    endif()
  endforeach()
  file(REMOVE ${package})
  # -X: no extra fields (user, group, times); -D: no entries for folders. A
  # zip keeps local time: in UTC it is the same on every machine.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${CPACK_KESTRANO_ZIP} -X -D -q ${package} ${files}
                  WORKING_DIRECTORY ${files_dir} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "zip could not make ${package}")
  endif()
  file(REMOVE_RECURSE ${files_dir})
endforeach()
