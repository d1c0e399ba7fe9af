#include "devhost/user_registry.h"

#include <windows.h>

#include <cwchar>

#include "devhost/host_registry.h"
#include "win32/unique.h"

namespace devhost {

namespace {

constexpr wchar_t kSoftware[] = L"Software";
constexpr wchar_t kProcessMarker[] = L", process ";

struct RedirectState {
    std::wstring path;     // under the real HKEY_CURRENT_USER; empty = not redirected
    bool scratch = false;  // removed when the redirect ends
};

RedirectState& Current() {
    static RedirectState redirect;
    return redirect;
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = std::wcsrchr(path, L'\\');
    return name ? name + 1 : path;
}

std::wstring ScratchKeyName() {
    return std::wstring(kScratchKeyPrefix) + ProgramName() + kProcessMarker + std::to_wstring(::GetCurrentProcessId()) +
           L")";
}

void DeleteKeyTree(const std::wstring& path) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

bool IsRunning(DWORD process) {
    const kestrano::UniqueHandle handle{::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)};
    if (!handle) return ::GetLastError() == ERROR_ACCESS_DENIED;  // someone else's, alive
    DWORD code = 0;
    return ::GetExitCodeProcess(handle.get(), &code) && code == STILL_ACTIVE;
}

// The process a scratch key belongs to, from its name; 0 when it names none.
DWORD OwnerOf(const std::wstring& name) {
    const size_t marker = name.rfind(kProcessMarker);
    if (marker == std::wstring::npos) return 0;
    return static_cast<DWORD>(std::wcstoul(name.c_str() + marker + std::wcslen(kProcessMarker), nullptr, 10));
}

// Scratch keys whose process has ended: a run that crashed, or was killed,
// before it could remove its own. Another run's live key is left alone.
void RemoveLeftovers() {
    const auto software = OpenKey(HKEY_CURRENT_USER, kSoftware, KEY_READ);
    if (!software) return;
    for (const auto& key : SubkeysOf(software.get())) {
        if (!key.starts_with(kScratchKeyPrefix)) continue;
        const DWORD owner = OwnerOf(key);
        if (owner == 0 || !IsRunning(owner)) DeleteKeyTree(std::wstring(kSoftware) + L"\\" + key);
    }
}

bool RedirectTo(const std::wstring& path, bool scratch) {
    if (!Current().path.empty()) return false;
    const auto key = CreateKey(HKEY_CURRENT_USER, path.c_str());
    if (!key) return false;
    // The system keeps its own reference to the key for as long as the override lasts.
    if (::RegOverridePredefKey(HKEY_CURRENT_USER, key.get()) != ERROR_SUCCESS) {
        if (scratch) DeleteKeyTree(path);
        return false;
    }
    Current() = {path, scratch};
    return true;
}

}  // namespace

bool RedirectUserRegistryToScratch() {
    RemoveLeftovers();
    const std::wstring path = std::wstring(kSoftware) + L"\\" + ScratchKeyName();
    // Only a process that ended long ago with this same number can have left it.
    DeleteKeyTree(path);
    return RedirectTo(path, true);
}

bool RedirectUserRegistryTo(const wchar_t* keyPath) { return RedirectTo(keyPath, false); }

void EndUserRegistryRedirect() {
    RedirectState& redirect = Current();
    if (redirect.path.empty()) return;
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (redirect.scratch) DeleteKeyTree(redirect.path);
    redirect = {};
}

const std::wstring& UserRegistryRedirectPath() { return Current().path; }

}  // namespace devhost
