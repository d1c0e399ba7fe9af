#include "devhost/namesake_settings.h"

#include <string>

#include "devhost/session.h"
#include "devhost/settings_dialog.h"

namespace devhost {

namespace {

HWND WindowOfProcess(DWORD process) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, kSettingsDialogTitle)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}

}  // namespace

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

void EndNamesake(Namesake& namesake) {
    if (!namesake.process) return;
    // Posted, never sent: it may not be answering.
    if (namesake.window) ::PostMessageW(namesake.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(namesake.process.get(), 2000) != WAIT_OBJECT_0) {
        ::TerminateProcess(namesake.process.get(), 1);
        ::WaitForSingleObject(namesake.process.get(), 10000);
    }
    namesake.process.reset();
    namesake.window = nullptr;
}

int NamesakeMessagesReceived(const Namesake& namesake) {
    return static_cast<int>(::GetWindowLongPtrW(namesake.window, GWLP_USERDATA) & ~kNamesakeHanging);
}

bool HangNamesake(const Namesake& namesake, DWORD timeoutMs) {
    if (!::PostMessageW(namesake.window, kNamesakeHangMessage, 0, 0)) return false;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        if (::GetWindowLongPtrW(namesake.window, GWLP_USERDATA) & kNamesakeHanging) return true;
        ::Sleep(20);
    }
    return false;
}

}  // namespace devhost
