#include "host/window_hook.h"

#include <array>

namespace kestrano {

namespace {

// What one hook replaced on one window. A host has a handful of windows, and
// a slot is given back when its window goes.
struct HookedWindow {
    HWND window;
    WNDPROC procedure;
    WNDPROC former;
};

constinit std::array<HookedWindow, 16> hookedWindows{};
constinit bool modulePinned = false;

// In the 32-bit build these are GetWindowLongA and SetWindowLongA with
// GWL_WNDPROC; the Ptr forms keep the 64-bit test build correct too.
WNDPROC ProcedureOf(HWND window) noexcept {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void SetProcedure(HWND window, WNDPROC procedure) noexcept {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

// cppcheck-suppress constParameter ; a window handle is opaque, there is nothing behind it to make const
HookedWindow* Find(HWND window, WNDPROC procedure) noexcept {
    for (HookedWindow& hooked : hookedWindows) {
        if (hooked.window == window && hooked.procedure == procedure) return &hooked;
    }
    return nullptr;
}

// A slot whose window went without our hook seeing it go is free again too.
HookedWindow* FreeSlot() noexcept {
    for (HookedWindow& hooked : hookedWindows) {
        if (!hooked.window || !::IsWindow(hooked.window)) return &hooked;
    }
    return nullptr;
}

// Only undo our own hook: if someone subclassed the window after us, putting
// its former procedure back would cut them out.
void ReleaseFormerWindow(HookedRole& role) noexcept {
    HookedWindow* const hooked = Find(role.window, role.procedure);
    if (hooked && ::IsWindow(hooked->window) && ProcedureOf(hooked->window) == role.procedure) {
        SetProcedure(hooked->window, hooked->former);
        *hooked = HookedWindow{};
    }
    role.window = nullptr;
}

void PinModule() noexcept {
    if (modulePinned) return;
    HMODULE self = nullptr;
    modulePinned = ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                        reinterpret_cast<LPCWSTR>(&hookedWindows), &self) != FALSE;
}

}  // namespace

void InstallHook(HookedRole& role, HWND window) noexcept {
    if (!window || Find(window, role.procedure)) return;
    const WNDPROC current = ProcedureOf(window);
    if (!current) return;
    if (role.window != window) ReleaseFormerWindow(role);
    // Without a slot the hook could not pass messages on: better no hook.
    HookedWindow* const slot = FreeSlot();
    if (!slot) return;
    *slot = HookedWindow{window, role.procedure, current};
    SetProcedure(window, role.procedure);
    role.window = window;
    PinModule();
}

LRESULT CallFormerProcedure(const HookedRole& role, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HookedWindow* const hooked = Find(window, role.procedure);
    if (!hooked) return ::DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC former = hooked->former;
    // The window's last message: its slot may serve a new window with the same handle.
    if (message == WM_NCDESTROY) *hooked = HookedWindow{};
    return ::CallWindowProcA(former, window, message, wParam, lParam);
}

}  // namespace kestrano
