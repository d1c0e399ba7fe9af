#pragma once
// Replacing a host window's procedure. A hook is one link in a chain that the
// user's other plug-ins share: what it replaced is kept per window, so that
// each window hands its messages to its own former procedure whoever
// subclassed it before or after the plug-in, and no window ever carries the
// same hook twice.

#include <windows.h>

namespace kestrano {

// A role the plug-in hooks (the main window, the mail list): its procedure,
// and the window the host last reported for it.
struct HookedRole {
    WNDPROC procedure;
    HWND window = nullptr;
};

// Installs role.procedure on window. Does nothing for a null window, for one
// whose current procedure is null, and for one that already carries the
// procedure anywhere in its chain. When the role moves to another window, the
// old one gets its own procedure back if the plug-in is still on top of it;
// otherwise it stays hooked, still passing its messages to its own former
// procedure. Once a hook is in place the module stays mapped for the life of
// the process: a host that frees the plug-in before its windows would
// otherwise send their next message into unmapped memory.
void InstallHook(HookedRole& role, HWND window) noexcept;

// For the role's procedure: hands the message, unchanged, to the procedure
// the hook replaced on window, and returns its result.
LRESULT CallFormerProcedure(const HookedRole& role, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace kestrano
