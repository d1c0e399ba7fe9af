#pragma once
// What the demo prints, as a user would read it. A console converts bytes
// through its own code page (932 under a Japanese locale), so it gets UTF-16;
// a pipe or file gets the UTF-8 bytes.

#include <string>
#include <string_view>

#include "devhost/host_state.h"

namespace demo {

void Print(std::string_view utf8);
void PrintLine(std::string_view utf8 = {});

// Text for the terminal, with control characters made visible (a subject may hold a TAB).
std::string Shown(std::wstring_view text);
// In Japanese quotation marks, as a name stands in a sentence.
std::string Quoted(std::wstring_view text);
std::string SubjectOf(const devhost::Mail& mail);
// A menu text without its keyboard accelerator, as it reads in a sentence.
std::string Label(std::wstring text);

}  // namespace demo
