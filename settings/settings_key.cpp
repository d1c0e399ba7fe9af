#include "settings/settings_key.h"

#include "host/unique.h"

namespace kestrano {

const SettingsKey settingsKey{HKEY_CURRENT_USER, kHostSettingsPath};

namespace {

UniqueKey OpenKey(HKEY root, LPCSTR path) noexcept {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return UniqueKey{};
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
    const UniqueKey key = OpenKey(root_, path_);
    if (!key) return E_FAIL;
    DWORD present = 0;
    if (QueryDword(key.get(), name, present)) return S_OK;
    return SetDword(key.get(), name, value);
}

DWORD SettingsKey::ReadFlag(LPCWSTR name) const noexcept {
    const UniqueKey key = OpenKey(root_, path_);
    DWORD value = 0;
    if (!key || !QueryDword(key.get(), name, value)) return 0;
    return value;
}

HRESULT SettingsKey::WriteFlag(LPCWSTR name, DWORD value) const noexcept {
    const UniqueKey key = OpenKey(root_, path_);
    if (!key) return E_FAIL;
    return SetDword(key.get(), name, value);
}

std::unique_ptr<wchar_t[]> SettingsKey::ReadValueBytes(LPCWSTR name) const {
    const UniqueKey key = OpenKey(root_, path_);
    if (!key) return nullptr;
    DWORD size = 4;
    ::RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &size);
    if (size == 0) return nullptr;
    // Whole wide characters for the data, then one more that stays NUL.
    const DWORD chars = (size + sizeof(wchar_t) - 1) / sizeof(wchar_t) + 1;
    auto buffer = std::make_unique<wchar_t[]>(chars);
    if (::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.get()), &size) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return buffer;
}

}  // namespace kestrano
