#pragma once
// Conversions between the host's ANSI text (code page 932 here), UTF-16 and
// the UTF-8 a terminal shows.

#include <windows.h>

#include <string>
#include <string_view>

namespace devhost {

inline constexpr UINT kJapaneseCodePage = 932;

std::wstring Decode(std::string_view bytes, UINT codePage);
std::string Encode(std::wstring_view text, UINT codePage);

inline std::wstring FromAnsi(std::string_view bytes) { return Decode(bytes, CP_ACP); }
inline std::string ToAnsi(std::wstring_view text) { return Encode(text, CP_ACP); }
inline std::string ToUtf8(std::wstring_view text) { return Encode(text, CP_UTF8); }
// Code page 932 bytes as text for a UTF-8 terminal.
inline std::string Cp932ToUtf8(std::string_view bytes) { return ToUtf8(Decode(bytes, kJapaneseCodePage)); }

}  // namespace devhost
