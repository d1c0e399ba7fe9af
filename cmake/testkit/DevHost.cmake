# Host executables: programs that export the host's BKA_* interface by name,
# as the mail client's executable does, and load the plug-in next to them.

# Every BKA_* name with the bytes of arguments its stdcall form takes.
set(DEVHOST_EXPORTS
  BKA_GetVersion@0 BKA_Command@8 BKA_GetWindowHandles@16 BKA_RegisterCommand@12
  BKA_RegisterUICallback@8 BKA_GetDataFolder@0 BKA_GetTempFolder@0 BKA_GetTempFileName@0
  BKA_GetCurrentMailBox@0 BKA_SetCurrentMailBox@0 BKA_GetCurrentFolder@0 BKA_SetCurrentFolder@0
  BKA_GetFolderDisplayName@0 BKA_SetMessageText@0 BKA_GetCurrentMail@0 BKA_SetCurrentMail@0
  BKA_GetNextMail@0 BKA_SetSel@0 BKA_AppendMessage@0 BKA_MoveSelectedMessages@0
  BKA_GetStatus@4 BKA_ComposeMail@0 BKA_GetCharSet@0 BKA_GetSource@0 BKA_SetSource@0
  BKA_GetHeader@0 BKA_GetText@8 BKA_SetText@0 BKA_GetSpecifiedHeader@12 BKA_SetSpecifiedHeader@0
  BKA_CompGetCharSet@0 BKA_CompGetSource@0 BKA_CompSetSource@0 BKA_CompGetHeader@0
  BKA_CompGetSpecifiedHeader@0 BKA_CompSetSpecifiedHeader@0 BKA_CompGetText@0 BKA_CompSetText@0
  BKA_CompAttachFile@0 BKA_Alloc@0 BKA_ReAlloc@0 BKA_Free@4 BKA_ISO_2022_JP@0 BKA_ISO_2022_KR@0
  BKA_HZ_GB2312@0 BKA_ISO_8859_2@0 BKA_EUC_JP@0 BKA_UTF_7@0 BKA_UTF_8@0 BKA_B64Convert@0
  BKA_QPConvert@0 BKA_MIMEHeader@0 BKA_SerializeRcpts@0 BKA_Connect@0
  BKA_SetStatus@0 BKA_NextUnread@0 BKA_ProcessMail@0 BKA_GetSize@0)

# add_host_executable(<target> SOURCES <files...> [OMIT <BKA names...>] [GUI])
# builds a host program from the development host library; OMIT leaves those
# names out of its exports, to stand for an older or broken host.
function(add_host_executable target)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;OMIT" ${ARGN})
  set(def "${CMAKE_CURRENT_BINARY_DIR}/${target}_exports.def")
  set(lines "EXPORTS\n")
  foreach(entry IN LISTS DEVHOST_EXPORTS)
    string(REGEX REPLACE "@.*" "" name "${entry}")
    if(name IN_LIST ARG_OMIT)
      continue()
    elseif(KESTRANO_X86)
      string(APPEND lines "    ${name} = ${entry}\n")
    else()
      string(APPEND lines "    ${name}\n")
    endif()
  endforeach()
  file(WRITE "${def}" "${lines}")
  add_executable(${target} ${ARG_SOURCES})
  # ld takes a .def as input; CMake hands .def sources to DLLs only.
  target_link_options(${target} PRIVATE "${def}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${def}")
  target_link_libraries(${target} PRIVATE devhost)
  if(ARG_GUI)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
  # The plug-in sits beside every host, as in the mail client's plug-in folder.
  add_dependencies(${target} Kestrano)
endfunction()
