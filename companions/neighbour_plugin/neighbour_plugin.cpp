// Another plug-in of the kind a user installs beside Kestrano: it subclasses
// the host's main window and mail list, as Kestrano does, and passes every
// message on unchanged, counting what it sees. For the tests only; never
// shipped. It is a careful neighbour: it keeps what it replaced per window and
// uses the Unicode calls where Kestrano uses the ANSI ones, so the chain mixes
// both, as it does in a user's mail client.

#include <windows.h>

namespace {

using GetWindowHandlesFunction = BOOL(WINAPI*)(HWND*, HWND*, HWND*, HWND*);

struct Subclass {
    HWND window;
    WNDPROC previous;
};

// A handful of windows is all a host has.
Subclass subclasses[8];

struct Seen {
    HWND window;
    UINT message;
    int count;
};
// Room for every kind of message a test's windows get; beyond it, nothing more is counted.
Seen seen[1024];

// Some plug-ins take every registered message for their own and answer it
// themselves: whatever another plug-in sends down the chain that way stops here.
bool keepRegisteredMessages = false;
constexpr UINT kFirstRegisteredMessage = 0xC000;

// cppcheck-suppress constParameter ; a window handle is opaque, there is nothing behind it to make const
Subclass* SubclassOf(HWND window) {
    for (Subclass& subclass : subclasses) {
        if (subclass.window == window) return &subclass;
    }
    return nullptr;
}

void CountArrival(HWND window, UINT message) {
    for (Seen& entry : seen) {
        if (entry.window == window && entry.message == message) {
            ++entry.count;
            return;
        }
        if (!entry.window) {
            entry = {window, message, 1};
            return;
        }
    }
}

LRESULT CALLBACK NeighbourProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountArrival(window, message);
    Subclass* subclass = SubclassOf(window);
    if (!subclass) return ::DefWindowProcW(window, message, wParam, lParam);
    if (keepRegisteredMessages && message >= kFirstRegisteredMessage) return 0;
    const LRESULT result = ::CallWindowProcW(subclass->previous, window, message, wParam, lParam);
    // The window's last message has gone down the chain, and with it whatever
    // the procedures below sent the window on the way: now its slot may serve
    // a new window with the same handle.
    if (message == WM_NCDESTROY) *subclass = {};
    return result;
}

void SubclassWindow(HWND window) {
    if (!window || SubclassOf(window)) return;
    for (Subclass& subclass : subclasses) {
        if (subclass.window) continue;
        subclass.window = window;
        subclass.previous = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NeighbourProcedure)));
        return;
    }
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI BKC_OnStart() {
    const auto getWindowHandles = reinterpret_cast<GetWindowHandlesFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(nullptr), "BKA_GetWindowHandles")));
    if (!getWindowHandles) return 0;
    HWND main = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
    HWND view = nullptr;
    getWindowHandles(&main, &tree, &list, &view);
    SubclassWindow(main);
    SubclassWindow(list);
    return 0;
}

__declspec(dllexport) int WINAPI BKC_OnExit() { return 0; }

// Takes the neighbour off window the way many plug-ins do: it puts back what
// it replaced, whether or not it is still on top. Above Kestrano that is a
// clean exit; below it, it cuts Kestrano out of the chain.
__declspec(dllexport) void WINAPI NeighbourUnhook(HWND window) {
    Subclass* subclass = SubclassOf(window);
    if (!subclass) return;
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass->previous));
    *subclass = {};
}

__declspec(dllexport) void WINAPI NeighbourKeepRegisteredMessages() { keepRegisteredMessages = true; }

// How many times message has reached this plug-in's procedure on window.
// cppcheck-suppress constParameter ; a window handle is opaque, there is nothing behind it to make const
__declspec(dllexport) int WINAPI NeighbourMessagesSeen(HWND window, UINT message) {
    for (const Seen& entry : seen) {
        if (entry.window == window && entry.message == message) return entry.count;
    }
    return 0;
}

}  // extern "C"
