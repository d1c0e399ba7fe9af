// Tells run-tests.cmd the system's ANSI code page, in its exit code: some
// checks need the Japanese one. chcp would answer with the console's OEM
// code page, which is another setting.

#include <windows.h>

#include <cstdio>

int main() {
    const UINT codePage = ::GetACP();
    std::printf("%u\n", codePage);
    return static_cast<int>(codePage);
}
