#include "demo/transcript.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

#include "devhost/text.h"

namespace demo {

using namespace devhost;

void Print(std::string_view utf8) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        const std::wstring text = Decode(utf8, CP_UTF8);
        ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

void PrintLine(std::string_view utf8) {
    Print(utf8);
    Print("\n");
}

std::string Shown(std::wstring_view text) {
    std::wstring visible;
    for (const wchar_t c : text) {
        if (c == L'\t') {
            visible += L"\\t";
        } else if (c < 0x20) {
            wchar_t escaped[8];
            std::swprintf(escaped, std::size(escaped), L"\\x%02X", static_cast<unsigned>(c));
            visible += escaped;
        } else {
            visible += c;
        }
    }
    return ToUtf8(visible);
}

std::string Quoted(std::wstring_view text) { return "「" + Shown(text) + "」"; }

std::string SubjectOf(const Mail& mail) { return Quoted(Decode(mail.subject, kJapaneseCodePage)); }

std::string Label(std::wstring text) {
    if (const size_t open = text.find(L"(&"); open != std::wstring::npos && open + 4 <= text.size()) {
        text.erase(open, 4);
    }
    std::erase(text, L'&');
    return Quoted(text);
}

}  // namespace demo
