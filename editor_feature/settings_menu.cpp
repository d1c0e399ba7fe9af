#include "editor_feature/settings_menu.h"

#include <prsht.h>

#include <array>

#include "host/host_api.h"
#include "settings/settings_key.h"
#include "win32/unique.h"

namespace kestrano {

namespace {

// The host's command that opens its general settings, and what the shortcut
// looks for in them: the editor page's place and the button there that
// chooses the editor.
constexpr char kGeneralSetupCommand[] = "GeneralSetup";
constexpr int kEditorPageIndex = 3;
constexpr int kChooseEditorButtonId = 1473;

// The drop-down menu of the host's menu bar that receives the submenu, and
// the position that puts it at that menu's end.
constexpr int kSubmenuHostMenuIndex = 4;
constexpr UINT kAtMenuEnd = 255;

// 1 from ChangeExternalEditor until the main window's next WM_NCACTIVATE.
constinit int EditorPagePending = 0;

LRESULT CALLBACK MainWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

constinit HookedRole mainWindowRole{&MainWindowHook, "Kestrano.MainWindowHook"};

namespace {

void WINAPI ToggleDoubleClick(HWND, LPARAM) {
    const DWORD next = settingsKey.ReadFlag(kDoubleClickSwitch) == 0 ? 1 : 0;
    settingsKey.WriteFlag(kDoubleClickSwitch, next);
}

void WINAPI ToggleUnreadDoubleClick(HWND, LPARAM) {
    if (settingsKey.ReadFlag(kDoubleClickSwitch) != 1) return;
    const DWORD next = settingsKey.ReadFlag(kUnreadDoubleClickSwitch) == 0 ? 1 : 0;
    settingsKey.WriteFlag(kUnreadDoubleClickSwitch, next);
}

void WINAPI ChangeExternalEditor(HWND window, LPARAM) {
    // Set first: the host may activate its dialog before BKA_Command returns.
    EditorPagePending = 1;
    hostApi.Command(window, kGeneralSetupCommand);
}

UINT WINAPI DoubleClickState(HWND, LPARAM) {
    return settingsKey.ReadFlag(kDoubleClickSwitch) == 1 ? kMenuChecked : kMenuEnabled;
}

UINT WINAPI UnreadDoubleClickState(HWND, LPARAM) {
    if (settingsKey.ReadFlag(kDoubleClickSwitch) == 0) return kMenuGrayed;
    return settingsKey.ReadFlag(kUnreadDoubleClickSwitch) == 1 ? kMenuChecked : kMenuEnabled;
}

UINT WINAPI AlwaysEnabledState(HWND, LPARAM) { return kMenuEnabled; }

struct SubmenuCommand {
    LPCSTR text;
    CommandCallback command;
    UIStateCallback state;
};

constexpr std::array<SubmenuCommand, 3> kSubmenuCommands{{
    {kDoubleClickMenuText, &ToggleDoubleClick, &DoubleClickState},
    {kUnreadDoubleClickMenuText, &ToggleUnreadDoubleClick, &UnreadDoubleClickState},
    {kChangeEditorMenuText, &ChangeExternalEditor, &AlwaysEnabledState},
}};

bool RegisterSubmenuCommands(std::array<int, 3>& ids) noexcept {
    for (size_t i = 0; i < kSubmenuCommands.size(); ++i) {
        ids[i] = hostApi.RegisterCommand(kSubmenuCommands[i].text, kMainWindowMenu, kSubmenuCommands[i].command);
    }
    for (const int id : ids) {
        if (id == 0) return false;
    }
    for (size_t i = 0; i < kSubmenuCommands.size(); ++i) {
        if (hostApi.RegisterUICallback(static_cast<UINT>(ids[i]), kSubmenuCommands[i].state) == kUICallbackRefused) {
            return false;
        }
    }
    return true;
}

UniqueMenu FillSubmenu(const std::array<int, 3>& ids) noexcept {
    UniqueMenu popup{::CreatePopupMenu()};
    if (!popup) return popup;
    for (size_t i = 0; i < kSubmenuCommands.size(); ++i) {
        // The first entry starts checked, as it does with the default switch.
        const UINT flags = i == 0 ? MF_BYPOSITION | MF_CHECKED : MF_STRING;
        if (!::AppendMenuA(popup.get(), flags, static_cast<UINT_PTR>(ids[i]), kSubmenuCommands[i].text)) {
            return UniqueMenu{};
        }
    }
    return popup;
}

// Another program, or another thread of the host's process (another
// plug-in's window, say), may own a window of that common title: sending it
// anything would turn its pages and click its buttons, and, were it busy,
// freeze the host until it answered. The host opens its dialog from its
// user-interface thread, the one running this hook: only its windows count.
HWND FindOwnTopLevelWindow(LPCSTR title) noexcept {
    const DWORD self = ::GetCurrentThreadId();
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, nullptr, title)) != nullptr) {
        if (::GetWindowThreadProcessId(window, nullptr) == self) return window;
    }
    return nullptr;
}

// The first direct child of parent with that window class and control identifier.
HWND FindChildByClassAndId(HWND parent, LPCSTR className, int controlId) noexcept {
    HWND child = nullptr;
    while ((child = ::FindWindowExA(parent, child, className, nullptr)) != nullptr) {
        if (::GetWindowLongA(child, GWL_ID) == controlId) return child;
    }
    return nullptr;
}

void OpenEditorPage() noexcept {
    const HWND dialog = FindOwnTopLevelWindow(kGeneralSettingsTitle);
    if (!dialog) return;
    ::SendMessageA(dialog, PSM_SETCURSEL, kEditorPageIndex, 0);
    const HWND page = ::FindWindowExA(dialog, nullptr, nullptr, kEditorPageTitle);
    if (!page) return;
    if (const HWND button = FindChildByClassAndId(page, "Button", kChooseEditorButtonId)) {
        ::SendMessageA(button, BM_CLICK, 0, 0);
    }
}

// Finishes ChangeExternalEditor once the host's settings dialog has taken
// activation from the main window.
LRESULT CALLBACK MainWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCACTIVATE && EditorPagePending == 1) {
        // Cleared first, so one command acts once, found or not.
        EditorPagePending = 0;
        OpenEditorPage();
    }
    return CallFormerProcedure(mainWindowRole, window, message, wParam, lParam);
}

}  // namespace

void BuildSettingsSubmenu(HMENU menuBar) noexcept {
    std::array<int, 3> ids{};
    if (!RegisterSubmenuCommands(ids)) return;
    UniqueMenu popup = FillSubmenu(ids);
    if (!popup) return;
    const HMENU hostMenu = ::GetSubMenu(menuBar, kSubmenuHostMenuIndex);
    if (!hostMenu) return;
    if (!::InsertMenuA(hostMenu, kAtMenuEnd, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr)) return;
    if (::InsertMenuA(hostMenu, kAtMenuEnd, MF_BYPOSITION | MF_POPUP | MF_STRING,
                      reinterpret_cast<UINT_PTR>(popup.get()), kSettingsSubmenuText)) {
        popup.release();  // the host's menu owns it now
    }
}

}  // namespace kestrano
