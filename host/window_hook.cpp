#include "host/window_hook.h"

#include <utility>

namespace kestrano {

namespace {

// A message of the plug-in's own, sent down a window's chain to learn whether
// a role's procedure is still in it. No other procedure knows it, so each
// passes it on. Registered at the first look; 0 until then.
constexpr char kChainProbeName[] = "Kestrano chain probe";
constinit UINT chainProbe = 0;
// Where the probe last reached one of the plug-in's procedures.
constinit const HookedRole* probeReachedRole = nullptr;
constinit HWND probeReachedWindow = nullptr;

constinit bool modulePinned = false;

// In the 32-bit build these are GetWindowLongA and SetWindowLongA with
// GWL_WNDPROC; the Ptr forms keep the 64-bit test build correct too.
WNDPROC ProcedureOf(HWND window) noexcept {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void SetProcedure(HWND window, WNDPROC procedure) noexcept {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

// By atom, not by name: a name would be looked up in the atom table at every
// message. The atom is the role's for the life of the process, like the
// module itself once it is pinned.
bool HaveAtom(HookedRole& role) noexcept {
    if (!role.atom) role.atom = ::GlobalAddAtomA(role.property);
    return role.atom != 0;
}

WNDPROC FormerProcedure(const HookedRole& role, HWND window) noexcept {
    if (!role.atom) return nullptr;
    return reinterpret_cast<WNDPROC>(::GetPropA(window, MAKEINTATOM(role.atom)));
}

// On top, the chain plainly holds the procedure. Under another plug-in's it
// may still be there, or that plug-in may have cut it out by putting back
// what it had replaced: only a message sent down the chain tells. A window
// that cannot be asked (another thread's, not answering) counts as hooked: a
// hook installed twice would pass each message to itself for ever.
bool ChainHolds(const HookedRole& role, HWND window) noexcept {
    if (ProcedureOf(window) == role.procedure) return true;
    if (!FormerProcedure(role, window)) return false;
    if (!chainProbe) chainProbe = ::RegisterWindowMessageA(kChainProbeName);
    if (!chainProbe) return true;
    probeReachedRole = nullptr;
    probeReachedWindow = nullptr;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, chainProbe, 0, reinterpret_cast<LPARAM>(&role), SMTO_ABORTIFHUNG, 1000,
                               &answer)) {
        return true;
    }
    return probeReachedRole == &role && probeReachedWindow == window;
}

// Only undo our own hook: if someone subclassed the window after us, putting
// its former procedure back would cut them out. A window that has gone has no
// procedure, and one that took its handle value has no property of ours.
void ReleaseFormerWindow(HookedRole& role) noexcept {
    const HWND old = std::exchange(role.window, nullptr);
    role.former = nullptr;
    if (!old || ProcedureOf(old) != role.procedure) return;
    const WNDPROC former = FormerProcedure(role, old);
    if (!former) return;
    SetProcedure(old, former);
    ::RemovePropA(old, MAKEINTATOM(role.atom));
}

void PinModule() noexcept {
    if (modulePinned) return;
    HMODULE self = nullptr;
    modulePinned = ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                        reinterpret_cast<LPCWSTR>(&modulePinned), &self) != FALSE;
}

}  // namespace

void InstallHook(HookedRole& role, HWND window) noexcept {
    if (!window || ChainHolds(role, window)) return;
    const WNDPROC current = ProcedureOf(window);
    if (!current || !HaveAtom(role)) return;
    if (role.window != window) ReleaseFormerWindow(role);
    // Without the property the hook could not pass messages on: better no hook.
    if (!::SetPropA(window, MAKEINTATOM(role.atom), reinterpret_cast<HANDLE>(current))) return;
    SetProcedure(window, role.procedure);
    // Another process's window keeps its procedure; then it keeps no property of ours either.
    if (ProcedureOf(window) != role.procedure) {
        ::RemovePropA(window, MAKEINTATOM(role.atom));
        return;
    }
    role.window = window;
    role.former = current;
    PinModule();
}

LRESULT CallFormerProcedure(HookedRole& role, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const bool reported = window == role.window;
    const WNDPROC former = reported ? role.former : FormerProcedure(role, window);
    if (message == WM_NCDESTROY) {
        ::RemovePropA(window, MAKEINTATOM(role.atom));
        if (reported) {
            role.window = nullptr;
            role.former = nullptr;
        }
    } else if (message == chainProbe && chainProbe && lParam == reinterpret_cast<LPARAM>(&role)) {
        probeReachedRole = &role;
        probeReachedWindow = window;
    }
    if (!former) return ::DefWindowProcA(window, message, wParam, lParam);
    return ::CallWindowProcA(former, window, message, wParam, lParam);
}

}  // namespace kestrano
