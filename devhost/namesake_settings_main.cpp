// The namesake: another program's window titled like the mail client's
// settings dialog (see namesake_settings.h). Started with the process id of
// the program that wants it, it ends when that program does, so that a test
// that dies leaves no window behind. It reads and writes no settings, so it
// needs no registry of its own.

#include <windows.h>

#include <prsht.h>

#include <cwchar>

#include "devhost/namesake_settings.h"
#include "devhost/settings_dialog.h"

namespace {

using namespace devhost;

constexpr wchar_t kWindowClass[] = L"KestranoNamesakeWindow";
constexpr wchar_t kPageClass[] = L"KestranoNamesakePage";
constexpr UINT_PTR kWatchTimer = 1;

HANDLE owner = nullptr;

void NoteReceived(HWND window) {
    const LONG_PTR count = ::GetWindowLongPtrW(window, GWLP_USERDATA);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, count + 1);
}

void StopAnswering(HWND window) {
    const LONG_PTR count = ::GetWindowLongPtrW(window, GWLP_USERDATA);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, count | kNamesakeHanging);
    ::Sleep(kNamesakeHangMs);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, count);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case PSM_SETCURSEL:
            NoteReceived(window);
            return TRUE;
        case kNamesakeHangMessage:
            StopAnswering(window);
            return 0;
        case WM_TIMER:
            if (owner && ::WaitForSingleObject(owner, 0) == WAIT_OBJECT_0) ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kChooseEditorButton && HIWORD(wParam) == BN_CLICKED) {
        NoteReceived(::GetParent(page));
        return 0;
    }
    return ::DefWindowProcW(page, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSW window{};
    window.lpfnWndProc = WindowProc;
    window.hInstance = instance;
    window.lpszClassName = kWindowClass;
    WNDCLASSW page{};
    page.lpfnWndProc = PageProc;
    page.hInstance = instance;
    page.lpszClassName = kPageClass;
    return ::RegisterClassW(&window) && ::RegisterClassW(&page);
}

}  // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the names in winbase.h are Windows' own
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    const auto ownerId = static_cast<DWORD>(std::wcstoul(commandLine, nullptr, 10));
    if (ownerId) owner = ::OpenProcess(SYNCHRONIZE, FALSE, ownerId);
    if (!RegisterClasses(instance)) return 1;
    // Topmost, so that it comes before the host's dialog in a search by title;
    // never activated, so that it takes nothing from the host.
    const HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kWindowClass, kSettingsDialogTitle,
                                          WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    const HWND page = ::CreateWindowExW(0, kPageClass, kEditorPageTitle, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, window,
                                        nullptr, instance, nullptr);
    const HWND button =
        ::CreateWindowExW(0, L"BUTTON", L"...", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, page,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChooseEditorButton)), instance, nullptr);
    if (!page || !button) return 1;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::SetTimer(window, kWatchTimer, 1000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
