#pragma once
// Another program on the desktop whose window bears the title of the mail
// client's settings dialog, "全般的な設定", above every other window, with a
// page "エディタ" and a button 1473 inside, as the host's dialog has. It notes
// every message there that the plug-in's shortcut would send, and on request
// stops answering for a while, as a hung program does.

#include <windows.h>

#include "win32/unique.h"

namespace devhost {

inline constexpr wchar_t kNamesakeProgramName[] = L"namesake_settings.exe";

// Posted to the namesake's window: it stops answering for kNamesakeHangMs.
inline constexpr UINT kNamesakeHangMessage = WM_APP + 0x48;
inline constexpr DWORD kNamesakeHangMs = 60 * 1000;

// The namesake keeps its count of received messages (page turns, button
// clicks) in its window's GWLP_USERDATA, which another process reads without
// sending it anything, and adds this while it does not answer.
inline constexpr LONG_PTR kNamesakeHanging = 0x10000;

struct Namesake;
void EndNamesake(Namesake& namesake);

// The running namesake, ended when its owner goes.
struct Namesake {
    Namesake() = default;
    Namesake(const Namesake&) = delete;
    Namesake& operator=(const Namesake&) = delete;
    ~Namesake() { EndNamesake(*this); }

    kestrano::UniqueHandle process;
    HWND window = nullptr;
};

// Starts the namesake from the host's folder and waits up to timeoutMs for
// its window.
bool StartNamesake(Namesake& namesake, DWORD timeoutMs);
// Page turns and button clicks that reached it so far.
int NamesakeMessagesReceived(const Namesake& namesake);
// Makes it stop answering, and returns once it has.
bool HangNamesake(const Namesake& namesake, DWORD timeoutMs);

}  // namespace devhost
