# Cross toolchain for Windows with mingw-w64, posix thread model, for the
# triple that the including file sets. The posix model is what GoogleTest
# needs; every binary links its runtime statically, so the model never shows
# up as a DLL dependency.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${KESTRANO_TRIPLE}-gcc-posix ${KESTRANO_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KESTRANO_TRIPLE}-g++-posix ${KESTRANO_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KESTRANO_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRANO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
