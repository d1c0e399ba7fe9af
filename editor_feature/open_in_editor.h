#pragma once
// Writing the current mail to a file named after its subject in the host's
// temporary folder, and opening that file in the user's external editor.

#include <windows.h>

#include <span>
#include <string_view>

#include "win32/unique.h"
#include "win32/wide_text.h"

namespace kestrano {

// Code page 932 texts, exactly as the host shows them.
// 外部エディタで開く (the command's comment for the host)
inline constexpr char kOpenCommandComment[] =
    "\x8AO\x95\x94\x83G\x83"
    "f\x83"
    "B\x83^\x82\xC5\x8AJ\x82\xAD";
// 外部エディタで開く(&X) (the context-menu entry)
inline constexpr char kOpenMenuText[] =
    "\x8AO\x95\x94\x83G\x83"
    "f\x83"
    "B\x83^\x82\xC5\x8AJ\x82\xAD(&X)";

inline constexpr char kNoSubject[] = "(no subject)";

// The highest counter tried when looking for a free file name.
inline constexpr int kMaxNameCounter = 99999;

// Host command callback: the current mail into a new file, then the editor on
// it. With no current mail (an empty folder) nothing is written or started.
void WINAPI OpenInExternalEditor(HWND window, LPARAM parameter);

// The host's current mail, or null when there is none: an empty folder
// answers null or an empty identifier.
LPCSTR CurrentMailId() noexcept;

// Replaces every character Windows forbids in a file name with '_': the nine
// reserved punctuation marks and the control characters U+0001 to U+001F.
void SanitizeFileName(std::span<wchar_t> name) noexcept;

// Claims the first of base, base(1), base(2), ... base(99999) that does not
// exist in any form (a file however it is held, a folder) by creating it, and
// puts its name into path. Empty when every name is taken, when a name opens
// as something other than a disk file (a device such as NUL or COM1), when
// the file cannot be created for another reason (a name too long), or when
// the name cannot be built. Nothing that exists is ever opened for writing.
[[nodiscard]] UniqueFile MakeUniqueFileName(std::wstring_view base, WideText& path) noexcept;

// Puts the entry at the head of the mail list's context menu, a separator below it.
void AddOpenEntryToContextMenu(HMENU menu) noexcept;

}  // namespace kestrano
