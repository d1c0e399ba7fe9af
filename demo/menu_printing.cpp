#include "demo/menu_printing.h"

#include "demo/transcript.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/text.h"

namespace demo {

using namespace devhost;

namespace {

bool IsPluginCommand(HMENU menu, int position) {
    const UINT id = ::GetMenuItemID(menu, position);
    return id != static_cast<UINT>(-1) && FindCommand(static_cast<int>(id)) != nullptr;
}

// An item as a user sees it: a separator's line, or the check mark, the text,
// the arrow of a submenu and whether it is greyed.
std::string ItemLine(HMENU menu, int position, UINT state, bool opensSubmenu) {
    if (state & MF_SEPARATOR) return "────────────";
    std::string line;
    if (!opensSubmenu) line += state & MF_CHECKED ? "✓ " : "  ";
    line += ToUtf8(MenuText(menu, position));
    if (opensSubmenu) line += "  ▸";
    if (state & MF_GRAYED) line += "   (greyed)";
    return line;
}

HMENU PluginSubmenu() {
    const HMENU tools = ::GetSubMenu(TheHost().menuBar, kToolsMenu);
    const int count = tools ? ::GetMenuItemCount(tools) : 0;
    for (int i = 0; i < count; ++i) {
        const HMENU submenu = ::GetSubMenu(tools, i);
        if (submenu && IsPluginCommand(submenu, 0)) return submenu;
    }
    return nullptr;
}

}  // namespace

void PrintMenu(HMENU menu, int depth, int firstAdded) {
    ApplyMenuStates(menu);  // as the host does before a menu opens
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        const HMENU submenu = ::GetSubMenu(menu, i);
        const bool added = (firstAdded >= 0 && i >= firstAdded) || IsPluginCommand(menu, i);
        PrintLine(std::string(added ? "  + " : "    ") + std::string(static_cast<size_t>(depth) * 4, ' ') +
                  ItemLine(menu, i, state, submenu != nullptr));
        if (submenu) PrintMenu(submenu, depth + 1, added ? 0 : -1);
    }
}

Entry SubmenuEntry(int position) {
    const HMENU submenu = PluginSubmenu();
    if (!submenu) return {};
    return {static_cast<int>(::GetMenuItemID(submenu, position)), MenuText(submenu, position)};
}

std::string SwitchStates() {
    const HMENU submenu = PluginSubmenu();
    if (!submenu) return "the submenu is missing";
    ApplyMenuStates(submenu);
    std::string states;
    for (int i = 0; i < 2; ++i) {
        const UINT state = ::GetMenuState(submenu, static_cast<UINT>(i), MF_BYPOSITION);
        if (i) states += ", ";
        states += std::string(state & MF_CHECKED ? "✓ " : "☐ ") + Label(MenuText(submenu, i));
        if (state & MF_GRAYED) states += " (greyed)";
    }
    return states;
}

}  // namespace demo
