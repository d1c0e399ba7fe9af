# 64-bit Windows: the same sources as a test bench for machines that cannot
# run 32-bit code natively (their Wine then emulates it, a hundred times slower).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KESTRANO_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
