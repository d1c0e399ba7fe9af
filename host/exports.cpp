// The module's plumbing: the DLL entry point and the sixteen BKC_* callbacks
// through which the host drives the plug-in. Each is a thin shell that hands
// the work to a feature. Nothing in the plug-in throws (it is built without
// exceptions), so no failure can unwind into the host's frames.

#include <windows.h>

#include <cstring>

#include "editor_feature/mail_list_hook.h"
#include "editor_feature/open_in_editor.h"
#include "editor_feature/settings_menu.h"
#include "host/host_api.h"
#include "host/plugin_info.h"
#include "host/window_hook.h"
#include "settings/settings_key.h"

using namespace kestrano;

namespace {

// Menu types of BKC_OnMenuInit.
constexpr int kMainMenuBar = 0;
constexpr int kMailListMenu = 1;

template <size_t Field, size_t Text>
void PutText(char (&field)[Field], const char (&text)[Text]) noexcept {
    static_assert(Text <= Field);
    std::memcpy(field, text, Text);
}

void Start() noexcept {
    HWND main = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
    HWND view = nullptr;
    hostApi.GetWindowHandles(&main, &tree, &list, &view);
    InstallHook(mainWindowRole, main);
    InstallHook(mailListRole, list);
    settingsKey.SeedDefault(kDoubleClickSwitch, kDoubleClickDefault);
    settingsKey.SeedDefault(kUnreadDoubleClickSwitch, kUnreadDoubleClickDefault);
}

}  // namespace

extern "C" {

// The module's entry point itself: there is no C runtime start-up before it,
// so every process-wide record is constant-initialised (constinit) and needs
// no constructor run.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    // The plug-in creates no threads and keeps nothing per thread: the
    // host's threads need not call in here as they start and end.
    ::DisableThreadLibraryCalls(module);
    return BindHostApi() ? TRUE : FALSE;
}

int WINAPI BKC_OnStart() {
    Start();
    return 0;
}

int WINAPI BKC_OnExit() { return 0; }

int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int type) {
    if (type == kMainMenuBar) BuildSettingsSubmenu(menu);
    if (type == kMailListMenu) AddOpenEntryToContextMenu(menu);
    return 0;
}

int WINAPI BKC_OnOpenFolder(LPCSTR) { return 0; }
int WINAPI BKC_OnOpenMail(LPCSTR) { return 0; }
int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }
int WINAPI BKC_OnPlugInSetup(HWND) { return 0; }

int WINAPI BKC_OnPlugInInfo(PluginInfo* info) {
    if (!info) return 0;
    PutText(info->name, kPluginName);
    PutText(info->vendor, kPluginVendor);
    PutText(info->version, kPluginVersion);
    PutText(info->description, kPluginDescription);
    return 0;
}

int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, int, int) { return 0; }
int WINAPI BKC_OnBeforeFilter2(LPCSTR, LPCSTR, int*, char**) { return 0; }

}  // extern "C"
