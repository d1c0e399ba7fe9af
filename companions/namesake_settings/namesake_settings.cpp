#include "companions/namesake_settings/namesake_settings.h"

#include <prsht.h>

#include <string>

#include "devhost/session.h"
#include "devhost/settings_dialog.h"

namespace companions {

namespace {

// The host's dialog, as the namesake copies it.
using devhost::InHostFolder;
using devhost::kChooseEditorButton;
using devhost::kEditorPageTitle;
using devhost::kSettingsDialogTitle;

constexpr wchar_t kWindowClass[] = L"KestranoNamesakeWindow";
constexpr wchar_t kPageClass[] = L"KestranoNamesakePage";

// Set when a namesake of this process is to answer again before its time.
kestrano::UniqueHandle hangCut;

void NoteReceived(HWND window) {
    const LONG_PTR count = ::GetWindowLongPtrW(window, GWLP_USERDATA);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, count + 1);
}

void StopAnswering(HWND window, DWORD hangMs) {
    const LONG_PTR count = ::GetWindowLongPtrW(window, GWLP_USERDATA);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, count | kNamesakeHanging);
    ::ResetEvent(hangCut.get());
    ::WaitForSingleObject(hangCut.get(), hangMs);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, count);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case PSM_SETCURSEL:
            NoteReceived(window);
            return TRUE;
        case kNamesakeHangMessage:
            StopAnswering(window, wParam ? static_cast<DWORD>(wParam) : kNamesakeHangMs);
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
    // A second namesake in the same process finds the classes registered.
    const bool windowOk = ::RegisterClassW(&window) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    const bool pageOk = ::RegisterClassW(&page) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return windowOk && pageOk;
}

HWND WindowOfProcess(DWORD process) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, kSettingsDialogTitle)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}

struct ThreadStart {
    HANDLE ready;
    HWND window = nullptr;
};

DWORD WINAPI RunNamesakeThread(LPVOID context) {
    auto* start = static_cast<ThreadStart*>(context);
    const HWND window = CreateNamesakeWindow();
    start->window = window;
    ::SetEvent(start->ready);  // start is the starter's again from here on
    if (!window) return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

HWND CreateNamesakeWindow() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!hangCut) hangCut.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!hangCut || !RegisterClasses(instance)) return nullptr;
    // Topmost, so that it comes before the host's dialog in a search by title;
    // never activated, so that it takes nothing from the host.
    const HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kWindowClass, kSettingsDialogTitle,
                                          WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    const HWND page = ::CreateWindowExW(0, kPageClass, kEditorPageTitle, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, window,
                                        nullptr, instance, nullptr);
    const HWND button =
        ::CreateWindowExW(0, L"BUTTON", L"...", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, page,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChooseEditorButton)), instance, nullptr);
    if (!page || !button) {
        ::DestroyWindow(window);
        return nullptr;
    }
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

bool StartNamesake(Namesake& namesake, DWORD timeoutMs) {
    std::wstring commandLine =
        L"\"" + InHostFolder(kNamesakeProgramName) + L"\" " + std::to_wstring(::GetCurrentProcessId());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        return false;
    }
    ::CloseHandle(started.hThread);
    namesake.process.reset(started.hProcess);
    // Where 32-bit code is emulated, a program takes about a minute to start.
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        if (::WaitForSingleObject(namesake.process.get(), 0) == WAIT_OBJECT_0) return false;
        namesake.window = WindowOfProcess(started.dwProcessId);
        if (namesake.window) return true;
        ::Sleep(50);
    }
    return false;
}

bool StartNamesakeThread(Namesake& namesake) {
    const kestrano::UniqueHandle ready{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    if (!ready) return false;
    ThreadStart start{ready.get()};
    namesake.thread.reset(::CreateThread(nullptr, 0, &RunNamesakeThread, &start, 0, nullptr));
    if (!namesake.thread) return false;
    ::WaitForSingleObject(ready.get(), INFINITE);
    namesake.window = start.window;
    return namesake.window != nullptr;
}

void EndNamesake(Namesake& namesake) {
    if (namesake.thread) {
        EndNamesakeHang();
        if (namesake.window) ::PostMessageW(namesake.window, WM_CLOSE, 0, 0);
        ::WaitForSingleObject(namesake.thread.get(), INFINITE);
    } else if (namesake.process) {
        // Posted, never sent: it may not be answering.
        if (namesake.window) ::PostMessageW(namesake.window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(namesake.process.get(), 2000) != WAIT_OBJECT_0) {
            ::TerminateProcess(namesake.process.get(), 1);
            ::WaitForSingleObject(namesake.process.get(), 10000);
        }
    }
    namesake.thread.reset();
    namesake.process.reset();
    namesake.window = nullptr;
}

void EndNamesakeHang() {
    if (hangCut) ::SetEvent(hangCut.get());
}

int NamesakeMessagesReceived(HWND window) {
    return static_cast<int>(::GetWindowLongPtrW(window, GWLP_USERDATA) & ~kNamesakeHanging);
}

bool HangNamesake(HWND window, DWORD timeoutMs, DWORD hangMs) {
    if (!::PostMessageW(window, kNamesakeHangMessage, hangMs, 0)) return false;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        if (::GetWindowLongPtrW(window, GWLP_USERDATA) & kNamesakeHanging) return true;
        ::Sleep(20);
    }
    return false;
}

}  // namespace companions
