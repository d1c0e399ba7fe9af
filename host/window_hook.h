#pragma once
// Replacing a host window's procedure. Each hooked role (main window, mail
// list) keeps the procedure it replaced, which its hook passes every message to.

#include <windows.h>

namespace kestrano {

struct WindowHook {
    WNDPROC hook;                // the plug-in's procedure for this role
    HWND window = nullptr;       // the window currently carrying the hook
    WNDPROC previous = nullptr;  // what the hook replaced; the hook passes messages here
};

// Installs hook.hook on window. A null window, or one whose current procedure
// is null, stays unhooked. A window already carrying the hook is left alone,
// so that the kept previous procedure is never the hook itself; if the role
// moves to another window, the old one gets its own procedure back first.
void InstallHook(WindowHook& hook, HWND window) noexcept;

}  // namespace kestrano
