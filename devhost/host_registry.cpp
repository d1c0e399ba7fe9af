#include "devhost/host_registry.h"

#include <vector>

namespace devhost {

RegistryKey::RegistryKey(HKEY parent, const wchar_t* path, REGSAM access) {
    if (::RegOpenKeyExW(parent, path, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
}

RegistryKey::~RegistryKey() {
    if (key_) ::RegCloseKey(key_);
}

namespace {

// The mail client's settings key, as the host opens it.
class Key : public RegistryKey {
public:
    explicit Key(REGSAM access) : RegistryKey(HKEY_CURRENT_USER, kSettingsKeyPath, access) {}
};

}  // namespace

bool CreateSettingsKey() {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

void DeleteSettingsKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
}

bool SettingsKeyExists() { return Key{KEY_READ}.get() != nullptr; }

bool SetExternalEditor(const std::wstring& program) {
    const DWORD size = static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t));
    return WriteSettingRaw(L"ExtTextEditor", REG_SZ, program.c_str(), size);
}

void DeleteSetting(const wchar_t* name) {
    const Key key{KEY_SET_VALUE};
    if (key.get()) ::RegDeleteValueW(key.get(), name);
}

bool WriteSettingDword(const wchar_t* name, DWORD value) {
    return WriteSettingRaw(name, REG_DWORD, &value, sizeof value);
}

bool WriteSettingRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    const Key key{KEY_SET_VALUE};
    return key.get() &&
           ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

std::optional<RawSetting> ReadSettingRaw(const wchar_t* name) {
    const Key key{KEY_READ};
    if (!key.get()) return std::nullopt;
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
