// The namesake program: another program's window titled like the mail
// client's settings dialog (see namesake_settings.h). Started with the process
// id of the program that wants it, it ends when that program does, so that a
// test that dies leaves no window behind. It reads and writes no settings, so
// it needs no registry of its own.

#include <windows.h>

#include <cwchar>

#include "companions/namesake_settings/namesake_settings.h"

namespace {

kestrano::UniqueHandle owner;
HWND namesake = nullptr;

void CALLBACK WatchOwner(HWND, UINT, UINT_PTR, DWORD) {
    if (owner && ::WaitForSingleObject(owner.get(), 0) == WAIT_OBJECT_0) ::DestroyWindow(namesake);
}

}  // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the names in winbase.h are Windows' own
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    const auto ownerId = static_cast<DWORD>(std::wcstoul(commandLine, nullptr, 10));
    if (ownerId) owner.reset(::OpenProcess(SYNCHRONIZE, FALSE, ownerId));
    namesake = companions::CreateNamesakeWindow();
    if (!namesake) return 1;
    ::SetTimer(nullptr, 0, 1000, &WatchOwner);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
