#pragma once
// Memory from the process heap, owned like every other handle. The plug-in
// carries no C++ runtime: a failed allocation is an empty owner, never a throw.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "win32/unique.h"

namespace kestrano {

template <typename Element>
void FreeHeapMemory(Element* memory) noexcept {
    ::HeapFree(::GetProcessHeap(), 0, memory);
}

template <typename Element>
using HeapArray = Unique<Element*, &FreeHeapMemory<Element>>;

// count zero-filled elements; empty when count is 0, when its size in bytes
// does not fit a size_t, or when the heap has no room.
template <typename Element>
HeapArray<Element> AllocateArray(size_t count) noexcept {
    // Nothing is constructed: the zeroed bytes must already be valid elements.
    static_assert(std::is_trivial_v<Element>);
    if (count == 0 || count > SIZE_MAX / sizeof(Element)) return HeapArray<Element>{};
    void* memory = ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(Element));
    return HeapArray<Element>{static_cast<Element*>(memory)};
}

}  // namespace kestrano
