#include "demo/shown_menus.h"

#include <windows.h>
#include <windowsx.h>

#include <string>

#include "demo/transcript.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"

namespace demo {

using namespace devhost;

std::optional<ShownMenu> ShownMenuNamed(std::string_view name) {
    if (name == "tools") return ShownMenu::Tools;
    if (name == "context") return ShownMenu::Context;
    return std::nullopt;
}

namespace {

// Open menus are top-level windows of the system's menu class. Their
// outline, on the screen, is what a picture of them needs.
struct OpenMenus {
    int count = 0;
    RECT bounds{};
};

OpenMenus VisibleMenus() {
    OpenMenus open;
    HWND menu = nullptr;
    while ((menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        RECT at;
        if (!::IsWindowVisible(menu) || !::GetWindowRect(menu, &at)) continue;
        if (open.count++ == 0) {
            open.bounds = at;
        } else {
            ::UnionRect(&open.bounds, &open.bounds, &at);
        }
    }
    return open;
}

bool WaitForVisibleMenus(int count) {
    // A program start under emulation takes a minute; a menu is quicker.
    for (int waited = 0; waited < 120'000; waited += 50) {
        if (VisibleMenus().count >= count) return true;
        ::Sleep(50);
    }
    return false;
}

void PressKey(HWND window, WPARAM key) {
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    // Repeat count 1, the key was down and is being released.
    ::PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

bool OpenToolsMenu(HWND mainWindow) {
    // Alt+T opens ツール with its first entry selected; Up wraps round to the
    // plug-in's submenu at its end, Right opens it, and two Downs leave the
    // selection on the editor shortcut, so that both switches show their
    // state unhighlighted.
    ::PostMessageW(mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 't');
    if (!WaitForVisibleMenus(1)) return false;
    for (const WPARAM key : {VK_UP, VK_RIGHT}) PressKey(mainWindow, key);
    if (!WaitForVisibleMenus(2)) return false;
    for (const WPARAM key : {VK_DOWN, VK_DOWN}) PressKey(mainWindow, key);
    return true;
}

bool OpenContextMenu(HWND mailList) {
    // A right click on the first mail, which selects it, then the menu at
    // the point where the click fell.
    const LPARAM row = MailRowPoint(0);
    POINT at{GET_X_LPARAM(row), GET_Y_LPARAM(row)};
    ::ClientToScreen(mailList, &at);
    ::PostMessageW(mailList, WM_RBUTTONDOWN, MK_RBUTTON, row);
    ::PostMessageW(mailList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(mailList), MAKELPARAM(at.x, at.y));
    return WaitForVisibleMenus(1);
}

DWORD WINAPI OpenMenuOnceUp(void* parameter) {
    const auto menu = static_cast<ShownMenu>(reinterpret_cast<INT_PTR>(parameter));
    const Host& host = TheHost();
    while (!::IsWindowVisible(host.mainWindow)) ::Sleep(50);
    ::Sleep(500);  // until the host has painted its window
    const bool opened = menu == ShownMenu::Tools ? OpenToolsMenu(host.mainWindow) : OpenContextMenu(host.mailList);
    ::Sleep(500);  // until the menus have drawn their entries
    if (!opened) {
        PrintLine("kestrano_demo: the menu did not open");
        return 1;
    }
    const RECT at = VisibleMenus().bounds;
    // One line a script can wait for and read: where on the screen the menus are.
    PrintLine("kestrano_demo: menu shown at " + std::to_string(at.left) + "," + std::to_string(at.top) + " " +
              std::to_string(at.right - at.left) + "x" + std::to_string(at.bottom - at.top));
    return 0;
}

}  // namespace

void ShowMenuOnceUp(ShownMenu menu) {
    if (menu == ShownMenu::None) return;
    const HANDLE thread =
        ::CreateThread(nullptr, 0, OpenMenuOnceUp, reinterpret_cast<void*>(static_cast<INT_PTR>(menu)), 0, nullptr);
    if (thread) ::CloseHandle(thread);
}

}  // namespace demo
