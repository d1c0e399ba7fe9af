#pragma once
// The interactive host: the development host's window for a person to click,
// with the host's "ExtTextEditor" as the editor, like the mail client.

#include <string>

#include "demo/shown_menus.h"

namespace demo {

// Runs until the person closes the host's window. editorChoice, when given,
// becomes the host's editor (otherwise the one kept from an earlier run, or
// Wine's notepad); openRow, when 0 or more, is double-clicked once the window
// is up; shownMenu is opened once it is up.
int RunInteractive(const std::wstring& editorChoice, int openRow, ShownMenu shownMenu);

}  // namespace demo
