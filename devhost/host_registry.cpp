#include "devhost/host_registry.h"

#include <vector>

namespace devhost {

kestrano::UniqueKey OpenKey(HKEY parent, const wchar_t* path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, path, 0, access, &key) != ERROR_SUCCESS) return {};
    return kestrano::UniqueKey{key};
}

kestrano::UniqueKey CreateKey(HKEY parent, const wchar_t* path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    return kestrano::UniqueKey{key};
}

std::vector<std::wstring> SubkeysOf(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];  // the longest key name the registry allows, and its terminator
    for (DWORD i = 0;; ++i) {
        auto length = static_cast<DWORD>(std::size(name));
        if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

namespace {

// The mail client's settings key, as the host opens it.
kestrano::UniqueKey SettingsKey(REGSAM access) { return OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath, access); }

}  // namespace

bool CreateSettingsKey() { return static_cast<bool>(CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath)); }

void DeleteSettingsKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
}

bool SettingsKeyExists() { return static_cast<bool>(SettingsKey(KEY_READ)); }

bool SetExternalEditor(const std::wstring& program) {
    // NOLINTNEXTLINE(bugprone-misplaced-widening-cast): the registry takes a DWORD; size_t is no wider in 32 bits
    const auto size = static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t));
    return WriteSettingRaw(L"ExtTextEditor", REG_SZ, program.c_str(), size);
}

void DeleteSetting(const wchar_t* name) {
    const auto key = SettingsKey(KEY_SET_VALUE);
    if (key) ::RegDeleteValueW(key.get(), name);
}

bool WriteSettingDword(const wchar_t* name, DWORD value) {
    return WriteSettingRaw(name, REG_DWORD, &value, sizeof value);
}

bool WriteSettingRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    const auto key = SettingsKey(KEY_SET_VALUE);
    return key && ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

std::optional<RawSetting> ReadSettingRaw(const wchar_t* name) {
    const auto key = SettingsKey(KEY_READ);
    if (!key) return std::nullopt;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> data(size + 1);
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    return RawSetting{type, std::string(reinterpret_cast<const char*>(data.data()), size)};
}

std::optional<DWORD> ReadSettingDword(const wchar_t* name) {
    const auto raw = ReadSettingRaw(name);
    if (!raw || raw->type != REG_DWORD || raw->bytes.size() != sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    raw->bytes.copy(reinterpret_cast<char*>(&value), sizeof value);
    return value;
}

}  // namespace devhost
