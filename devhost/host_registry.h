#pragma once
// The mail client's settings key, as the host keeps it: it creates the key,
// owns "ExtTextEditor", and lets plug-ins keep their values beside its own.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/unique.h"

namespace devhost {

inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\RimArts\\B2\\Settings";

// The key at path under parent, opened or made; empty when that fails.
kestrano::UniqueKey OpenKey(HKEY parent, const wchar_t* path, REGSAM access);
kestrano::UniqueKey CreateKey(HKEY parent, const wchar_t* path);
// The names of key's direct subkeys.
std::vector<std::wstring> SubkeysOf(HKEY key);

// The plug-in's two values in that key, as a user finds them there. Spelt
// here apart from the plug-in's own code, so that a misspelling there shows.
inline constexpr wchar_t kDoubleClickValue[] = L"KestranobDoubleClick";
inline constexpr wchar_t kUnreadDoubleClickValue[] = L"KestranobUnreadDbclk";

bool CreateSettingsKey();
// Removes the key and everything in it, as on a machine where the host never ran.
void DeleteSettingsKey();
bool SettingsKeyExists();

bool SetExternalEditor(const std::wstring& program);
void DeleteSetting(const wchar_t* name);
bool WriteSettingDword(const wchar_t* name, DWORD value);
// Any type and raw bytes, to stand for values the plug-in did not write.
bool WriteSettingRaw(const wchar_t* name, DWORD type, const void* data, DWORD size);
// The value's type and bytes, or nothing when absent.
struct RawSetting {
    DWORD type = REG_NONE;
    std::string bytes;
};
std::optional<RawSetting> ReadSettingRaw(const wchar_t* name);
std::optional<DWORD> ReadSettingDword(const wchar_t* name);

}  // namespace devhost
