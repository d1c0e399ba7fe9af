// What the compiler may call on its own in a DLL with no C runtime. memcpy was
// all the plug-in took from msvcrt, a DLL that belongs to Windows itself and
// is not meant for programs to link against; it is a few lines. Built only
// into the DLL: the test programs have the C runtime's own.
//
// This file is compiled without builtins, so the loop below is not turned
// back into a call of memcpy.

#include <cstddef>

extern "C" void* memcpy(void* destination, const void* source, std::size_t size) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    while (size--) *to++ = *from++;
    return destination;
}
