#pragma once
// The host's menus read back from its windows, as a user sees them: the
// menus printed whole, and the plug-in's submenu entry by entry.

#include <windows.h>

#include <string>

namespace demo {

// The drop-down menu (ツール) that receives the plug-in's submenu.
inline constexpr int kToolsMenu = 4;

// Prints menu and its submenus, with the host's check marks and greying; items
// from position firstAdded on (and the plug-in's commands) are marked as added.
void PrintMenu(HMENU menu, int depth, int firstAdded);

// The n-th entry (0-based) of the plug-in's submenu: its command and its text.
struct Entry {
    int id = 0;
    std::wstring text;
};
Entry SubmenuEntry(int position);

// The two switches as the submenu shows them.
std::string SwitchStates();

}  // namespace demo
