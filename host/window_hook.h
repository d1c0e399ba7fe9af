#pragma once
// Replacing a host window's procedure. A hook is one link in a chain that the
// user's other plug-ins share: what it replaced is kept on the window itself,
// in a window property of the role's, as the system's own subclassing keeps
// its chain. The property lives and dies with its window, so nothing fills
// up or goes stale, and a new window that gets an old handle value starts
// clean.

#include <windows.h>

namespace kestrano {

// A role the plug-in hooks (the main window, the mail list): its procedure,
// the name its property is made from, the property's name in this loaded copy
// of the module (made at the first hook), and the window the host last
// reported for it with the procedure replaced there. That window gets nearly
// every message, and a property costs a call into the system at each (under
// Wine, a round trip to its server); the property stays what counts, for
// every other window and for whether a window holds the hook.
struct HookedRole {
    WNDPROC procedure;
    LPCSTR name;
    char property[64] = {};
    HWND window = nullptr;
    WNDPROC former = nullptr;
};

// Installs role.procedure on window. Does nothing for a null window, for one
// whose current procedure is null, and for one that carries the role's
// property: that window holds the hook, on top or under another plug-in's.
// A plug-in that cut the hook out, putting back what it had replaced, leaves
// it out for the life of that window; a window hooked twice would pass each
// message to itself for ever. When the role moves to another window, the old
// one gets its own procedure back, and loses the property, if the plug-in is
// still on top of it; otherwise it stays hooked, still passing its messages
// to its own former procedure. Once a hook is in place the module stays
// mapped for the life of the process: a host that frees the plug-in before
// its windows would otherwise send their next message into unmapped memory.
void InstallHook(HookedRole& role, HWND window) noexcept;

// For the role's procedure: hands the message, unchanged, to the procedure
// the hook replaced on window, and returns its result. After the window's
// last message, WM_NCDESTROY, has gone on down the chain, the property goes.
LRESULT CallFormerProcedure(HookedRole& role, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace kestrano
