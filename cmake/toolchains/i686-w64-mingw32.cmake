# 32-bit Windows: the plug-in the mail client loads.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KESTRANO_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
