#pragma once
// A window of someone else's whose title is that of the mail client's
// settings dialog, "全般的な設定", above every other window, with a page
// "エディタ" and a button 1473 inside, as the host's dialog has. It notes
// every message there that the plug-in's shortcut would send, and on request
// stops answering for a while, as a busy or hung program does. It lives in
// another program (namesake_settings.exe), or on another thread of the
// host's own process, as another plug-in's window would.

#include <windows.h>

#include "win32/unique.h"

namespace companions {

inline constexpr wchar_t kNamesakeProgramName[] = L"namesake_settings.exe";

// Posted to the namesake's window: it stops answering for wParam
// milliseconds, or for kNamesakeHangMs when wParam is 0.
inline constexpr UINT kNamesakeHangMessage = WM_APP + 0x48;
inline constexpr DWORD kNamesakeHangMs = 60 * 1000;

// The namesake keeps its count of received messages (page turns, button
// clicks) in its window's GWLP_USERDATA, which another thread or process
// reads without sending it anything, and adds this while it does not answer.
inline constexpr LONG_PTR kNamesakeHanging = 0x10000;

// Makes the namesake's window on the calling thread, which then runs its
// messages; it posts WM_QUIT when the window goes. Null on failure.
HWND CreateNamesakeWindow();

struct Namesake;
void EndNamesake(Namesake& namesake);

// A running namesake, in its own program or on a thread of this process;
// ended when its owner goes.
struct Namesake {
    Namesake() = default;
    Namesake(const Namesake&) = delete;
    Namesake& operator=(const Namesake&) = delete;
    ~Namesake() { EndNamesake(*this); }

    kestrano::UniqueHandle process;  // one of the two
    kestrano::UniqueHandle thread;
    HWND window = nullptr;
};

// Starts the namesake program from the host's folder and waits up to
// timeoutMs for its window.
bool StartNamesake(Namesake& namesake, DWORD timeoutMs);
// Starts the namesake on a thread of this process.
bool StartNamesakeThread(Namesake& namesake);

// Page turns and button clicks that reached the namesake's window so far.
int NamesakeMessagesReceived(HWND window);
// Makes it stop answering for hangMs, and returns once it has.
bool HangNamesake(HWND window, DWORD timeoutMs, DWORD hangMs = kNamesakeHangMs);
// A namesake thread of this process answers again at once.
void EndNamesakeHang();

}  // namespace companions
