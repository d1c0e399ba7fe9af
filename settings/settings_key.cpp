#include "settings/settings_key.h"

#include "win32/unique.h"

namespace kestrano {

constinit const SettingsKey settingsKey{kHostSettingsPath};

namespace {

UniqueKey OpenKey(LPCSTR path) noexcept {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return UniqueKey{};
    return UniqueKey{key};
}

bool QueryDword(HKEY key, LPCWSTR name, DWORD& value) noexcept {
    DWORD size = sizeof value;
    return ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
}

HRESULT SetDword(HKEY key, LPCWSTR name, DWORD value) noexcept {
    const LSTATUS status =
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}

}  // namespace

HRESULT SettingsKey::SeedDefault(LPCWSTR name, DWORD value) const noexcept {
    const UniqueKey key = OpenKey(path_);
    if (!key) return E_FAIL;
    DWORD present = 0;
    if (QueryDword(key.get(), name, present)) return S_OK;
    return SetDword(key.get(), name, value);
}

DWORD SettingsKey::ReadFlag(LPCWSTR name) const noexcept {
    const UniqueKey key = OpenKey(path_);
    DWORD value = 0;
    if (!key || !QueryDword(key.get(), name, value)) return 0;
    return value;
}

HRESULT SettingsKey::WriteFlag(LPCWSTR name, DWORD value) const noexcept {
    const UniqueKey key = OpenKey(path_);
    if (!key) return E_FAIL;
    return SetDword(key.get(), name, value);
}

HeapArray<wchar_t> SettingsKey::ReadValueBytes(LPCWSTR name) const noexcept {
    const UniqueKey key = OpenKey(path_);
    if (!key) return {};
    DWORD size = 4;
    ::RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &size);
    if (size == 0) return {};
    // Whole wide characters for the data, then one more that stays NUL;
    // counted so that no size the registry reports can wrap around.
    const size_t chars = size_t{size} / sizeof(wchar_t) + size % sizeof(wchar_t) + 1;
    HeapArray<wchar_t> buffer = AllocateArray<wchar_t>(chars);
    if (!buffer) return {};
    if (::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.get()), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return buffer;
}

}  // namespace kestrano
