#pragma once
// One owner per kind of handle: each alias names the API's own release call.

#include <windows.h>

#include <cstdint>
#include <utility>

namespace kestrano {

// Empty is the handle value that owns nothing, as an integer because
// INVALID_HANDLE_VALUE cannot be a template argument.
template <typename Handle, auto Release, std::intptr_t EmptyValue = 0>
class Unique {
    static Handle Empty() noexcept { return reinterpret_cast<Handle>(EmptyValue); }

public:
    Unique() noexcept = default;
    explicit Unique(Handle handle) noexcept : handle_(handle) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    [[nodiscard]] Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Empty(); }

    // Gives the handle away, for example to a host menu that takes it over.
    Handle release() noexcept { return std::exchange(handle_, Empty()); }

    void reset(Handle handle = Empty()) noexcept {
        if (handle_ != Empty()) Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Empty();
};

inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void DestroyPopupMenu(HMENU menu) noexcept { ::DestroyMenu(menu); }

using UniqueKey = Unique<HKEY, &CloseKey>;
using UniqueFile = Unique<HANDLE, &CloseKernelHandle, -1>;
// Processes, threads, events: null when empty, where a file is INVALID_HANDLE_VALUE.
using UniqueHandle = Unique<HANDLE, &CloseKernelHandle>;
using UniqueMenu = Unique<HMENU, &DestroyPopupMenu>;

}  // namespace kestrano
