#pragma once
// UTF-16 text on the process heap, for the paths and the launch parameters the
// plug-in builds. Each change says whether it worked and, when it did not (no
// room on the heap, a text longer than Windows takes, an ANSI text that does
// not convert), leaves the text as it was.

#include <windows.h>

#include <cstddef>
#include <span>
#include <string_view>

#include "win32/heap.h"

namespace kestrano {

class WideText {
public:
    // The longest path Windows handles, and the longest command line it
    // starts a program with: nothing the plug-in builds is of use beyond it.
    static constexpr size_t kMaxLength = 32767;

    WideText() noexcept = default;
    // Each text is built where it is used and passed by reference.
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // Always NUL-terminated, also while empty.
    [[nodiscard]] const wchar_t* c_str() const noexcept { return buffer_ ? buffer_.get() : L""; }
    [[nodiscard]] std::wstring_view view() const noexcept { return {c_str(), length_}; }
    std::span<wchar_t> chars() noexcept { return {buffer_.get(), length_}; }

    [[nodiscard]] bool Append(std::wstring_view text) noexcept;
    // Appends NUL-terminated text in the system's ANSI code page, converted.
    [[nodiscard]] bool AppendAnsi(LPCSTR text) noexcept;
    // Keeps the first length characters; a longer length changes nothing.
    void Truncate(size_t length) noexcept;

private:
    bool Reserve(size_t length) noexcept;

    HeapArray<wchar_t> buffer_;
    size_t length_ = 0;
    size_t capacity_ = 0;  // characters the buffer holds before its terminator
};

}  // namespace kestrano
