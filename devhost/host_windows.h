#pragma once
// The host's windows: a main window with a real menu bar, and a mail list
// that shows the sample mails and handles clicks as the mail client does.

#include <windows.h>

#include <string>

namespace devhost {

// What the host does on its own when a mail is double-clicked (it marks the
// mail read) answers with this, so a test can see the result come back
// through the plug-in's hook.
inline constexpr LRESULT kMailListDoubleClickResult = 0x4B45;

inline constexpr int kMailRowHeight = 20;

struct WindowOptions {
    int dropDownMenus = 6;  // the mail client's menu bar has six
    bool visible = false;
};

// Creates the main window, its menu bar and the mail list. False on failure.
bool CreateHostWindows(const WindowOptions& options = {});
void DestroyHostWindows();

// A new mail-list window in the main window, as when the host rebuilds its
// view; the old one stays alive. Reported to plug-ins from then on.
HWND ReplaceMailList();

// Runs BKC_OnStart of the loaded plug-ins, then builds the main menu as the host does
// (BKC_OnMenuInit with type 0).
void StartPluginInHost();

// The mail list's context menu as the host builds it on a right click: its own
// items, then BKC_OnMenuInit with type 1. The caller owns the menu.
HMENU BuildMailListContextMenu();

// Chooses a menu entry: the host calls the registered command's callback.
void ChooseCommand(int commandId);

// Sets check marks and greying of the plug-in's entries in menu from their
// UI-state callbacks, as the host does before a menu opens.
void ApplyMenuStates(HMENU menu);

// The text of menu's item at position, as the menu shows it.
std::wstring MenuText(HMENU menu, int position);

// Makes row the current mail, as a click on it does.
void SelectMail(int row);

// Client point in the middle of a row of the mail list, as an LPARAM.
LPARAM MailRowPoint(int row);

// Dispatches waiting messages; the settings dialog is modeless.
void PumpMessages();

// Runs the host's message loop until the main window closes.
int RunMessageLoop();

}  // namespace devhost
