# 64-bit Windows: the same sources as a second test bench, which runs natively
# under 64-bit Wine also where 32-bit code is emulated (and there times the
# benchmarks as they would run).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KESTRANO_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
