#include "host/window_hook.h"

#include <cstdint>
#include <utility>

namespace kestrano {

namespace {

constinit bool modulePinned = false;

// In the 32-bit build these are GetWindowLongA and SetWindowLongA with
// GWL_WNDPROC; the Ptr forms keep the 64-bit test build correct too.
WNDPROC ProcedureOf(HWND window) noexcept {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void SetProcedure(HWND window, WNDPROC procedure) noexcept {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

// The role's name and, in hexadecimal, where its procedure lies in this
// loaded copy of the module. A user may leave two copies in the plug-in
// folder (a renamed one, an old version beside the new): each hooks the same
// windows, and neither may read what the other kept there.
LPCSTR PropertyName(HookedRole& role) noexcept {
    char* const name = role.property;
    if (name[0]) return name;
    constexpr size_t kAddressDigits = 2 * sizeof(uintptr_t);
    constexpr size_t kRoom = sizeof role.property - kAddressDigits - 2;  // '@' and NUL
    size_t at = 0;
    for (; at < kRoom && role.name[at]; ++at) name[at] = role.name[at];
    name[at++] = '@';
    const auto address = reinterpret_cast<uintptr_t>(role.procedure);
    for (size_t digit = kAddressDigits; digit-- > 0;) name[at++] = "0123456789ABCDEF"[(address >> (4 * digit)) & 0xF];
    name[at] = '\0';
    return name;
}

// By name, not by an atom of our own: the system enters the name in the
// session's atom table as a window takes the property and lets it go with the
// property, where an atom we added would outlive the process, one more for
// each address the module has loaded at. Null before the role first hooks a
// window.
WNDPROC FormerProcedure(const HookedRole& role, HWND window) noexcept {
    if (!role.property[0]) return nullptr;
    return reinterpret_cast<WNDPROC>(::GetPropA(window, role.property));
}

// Only undo our own hook: if someone subclassed the window after us, putting
// its former procedure back would cut them out, and the property stays as the
// record that the window still holds the hook. A window that has gone has no
// procedure, and one that took its handle value has no property of ours.
void ReleaseFormerWindow(HookedRole& role) noexcept {
    const HWND old = std::exchange(role.window, nullptr);
    role.former = nullptr;
    if (!old || ProcedureOf(old) != role.procedure) return;
    const WNDPROC former = FormerProcedure(role, old);
    if (!former) return;
    SetProcedure(old, former);
    ::RemovePropA(old, role.property);
}

void PinModule() noexcept {
    if (modulePinned) return;
    HMODULE self = nullptr;
    modulePinned = ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                        reinterpret_cast<LPCWSTR>(&modulePinned), &self) != FALSE;
}

LRESULT PassOn(WNDPROC former, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (!former) return ::DefWindowProcA(window, message, wParam, lParam);
    return ::CallWindowProcA(former, window, message, wParam, lParam);
}

// After the window's last message: the procedures under the hook have had it
// and have sent the window whatever they sent while cleaning up, through the
// whole chain. The property must go before the window does.
void LetGo(HookedRole& role, HWND window) noexcept {
    ::RemovePropA(window, role.property);
    if (window == role.window) {
        role.window = nullptr;
        role.former = nullptr;
    }
}

}  // namespace

void InstallHook(HookedRole& role, HWND window) noexcept {
    if (!window) return;
    // The property is the record that the window's chain holds the hook. No
    // message sent down the chain could prove the hook gone: a plug-in above
    // it may keep such a message to itself.
    const LPCSTR property = PropertyName(role);
    if (::GetPropA(window, property)) return;
    const WNDPROC current = ProcedureOf(window);
    if (!current || current == role.procedure) return;
    if (role.window != window) ReleaseFormerWindow(role);
    // Without the property the hook could not pass messages on: better no hook.
    if (!::SetPropA(window, property, reinterpret_cast<HANDLE>(current))) return;
    SetProcedure(window, role.procedure);
    // Another process's window keeps its procedure; then it keeps no property of ours either.
    if (ProcedureOf(window) != role.procedure) {
        ::RemovePropA(window, property);
        return;
    }
    role.window = window;
    role.former = current;
    PinModule();
}

LRESULT CallFormerProcedure(HookedRole& role, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const WNDPROC former = window == role.window ? role.former : FormerProcedure(role, window);
    if (message != WM_NCDESTROY) return PassOn(former, window, message, wParam, lParam);
    const LRESULT result = PassOn(former, window, message, wParam, lParam);
    LetGo(role, window);
    return result;
}

}  // namespace kestrano
