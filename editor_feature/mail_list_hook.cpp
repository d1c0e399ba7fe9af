#include "editor_feature/mail_list_hook.h"

#include "editor_feature/open_in_editor.h"
#include "host/host_api.h"
#include "settings/settings_key.h"

namespace kestrano {

namespace {

// Folders whose identifier holds this (case-sensitive) are the host's outbox.
constexpr char kOutboxMarker[] = "Outbox";

LRESULT CALLBACK MailListHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

constinit HookedRole mailListRole{&MailListHook, "Kestrano.MailListHook"};

namespace {

// strstr, without the C runtime the DLL does not have: byte by byte and
// case-sensitive, as the host names its folders; the second byte of a
// double-byte character may start the marker too.
bool IsOutbox(LPCSTR folder) noexcept {
    for (; *folder; ++folder) {
        size_t matched = 0;
        while (kOutboxMarker[matched] && folder[matched] == kOutboxMarker[matched]) ++matched;
        if (!kOutboxMarker[matched]) return true;
    }
    return false;
}

// The status is read before the host sees the double-click, so a mail the
// host is about to mark read still counts as unread here.
void OnDoubleClick(HWND window, LPARAM lParam) noexcept {
    if (settingsKey.ReadFlag(kDoubleClickSwitch) != 1) return;
    const LPCSTR folder = hostApi.GetCurrentFolder();
    if (!folder || IsOutbox(folder)) return;
    const LPCSTR mail = CurrentMailId();
    if (!mail) return;
    const DWORD status = hostApi.GetStatus(mail);
    if ((status & kMailRead) || settingsKey.ReadFlag(kUnreadDoubleClickSwitch) == 1) {
        OpenInExternalEditor(window, lParam);
    }
}

LRESULT CALLBACK MailListHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK) OnDoubleClick(window, lParam);
    return CallFormerProcedure(mailListRole, window, message, wParam, lParam);
}

}  // namespace

}  // namespace kestrano
