#include "host/window_hook.h"

namespace kestrano {

namespace {

WNDPROC ProcedureOf(HWND window) noexcept {
    return reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(::GetWindowLongA(window, GWL_WNDPROC)));
}

void SetProcedure(HWND window, WNDPROC procedure) noexcept {
    ::SetWindowLongA(window, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(procedure)));
}

// Only undo our own hook: if someone subclassed the window after us, putting
// the old procedure back would cut them out.
void RestoreFormerWindow(WindowHook& hook) noexcept {
    if (hook.window && ::IsWindow(hook.window) && ProcedureOf(hook.window) == hook.hook) {
        SetProcedure(hook.window, hook.previous);
    }
    hook.window = nullptr;
}

}  // namespace

void InstallHook(WindowHook& hook, HWND window) noexcept {
    if (!window) return;
    const WNDPROC current = ProcedureOf(window);
    if (!current || current == hook.hook) return;
    RestoreFormerWindow(hook);
    hook.previous = current;
    hook.window = window;
    SetProcedure(window, hook.hook);
}

}  // namespace kestrano
