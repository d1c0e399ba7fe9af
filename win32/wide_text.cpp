#include "win32/wide_text.h"

#include <utility>

namespace kestrano {

bool WideText::Reserve(size_t length) noexcept {
    // Even an empty text gets a buffer, for its terminator.
    if (buffer_ && length <= capacity_) return true;
    if (length > kMaxLength) return false;
    // Doubling keeps a path built piece by piece from copying itself each time.
    size_t capacity = capacity_ * 2 > length ? capacity_ * 2 : length;
    if (capacity > kMaxLength) capacity = kMaxLength;
    HeapArray<wchar_t> grown = AllocateArray<wchar_t>(capacity + 1);
    if (!grown) return false;
    if (buffer_) __builtin_memcpy(grown.get(), buffer_.get(), (length_ + 1) * sizeof(wchar_t));
    buffer_ = std::move(grown);
    capacity_ = capacity;
    return true;
}

bool WideText::Append(std::wstring_view text) noexcept {
    if (text.size() > kMaxLength - length_ || !Reserve(length_ + text.size())) return false;
    if (!text.empty()) __builtin_memcpy(buffer_.get() + length_, text.data(), text.size() * sizeof(wchar_t));
    length_ += text.size();
    buffer_.get()[length_] = L'\0';
    return true;
}

bool WideText::AppendAnsi(LPCSTR text) noexcept {
    // The count includes the terminator; 0 is a failed conversion (or no text at all).
    const int count = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0) return false;
    const size_t added = static_cast<size_t>(count) - 1;
    if (added > kMaxLength - length_ || !Reserve(length_ + added)) return false;
    if (::MultiByteToWideChar(CP_ACP, 0, text, -1, buffer_.get() + length_, count) == 0) {
        buffer_.get()[length_] = L'\0';
        return false;
    }
    length_ += added;
    return true;
}

void WideText::Truncate(size_t length) noexcept {
    if (length >= length_) return;
    length_ = length;
    buffer_.get()[length_] = L'\0';
}

}  // namespace kestrano
