#include "host/window_hook.h"

namespace kestrano {

namespace {

// In the 32-bit build these are GetWindowLongA and SetWindowLongA with
// GWL_WNDPROC; the Ptr forms keep the 64-bit test build correct too.
WNDPROC ProcedureOf(HWND window) noexcept {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void SetProcedure(HWND window, WNDPROC procedure) noexcept {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
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
