#pragma once
// The host's own settings key, where the plug-in keeps its two switches and
// reads the host's choice of external editor.

#include <windows.h>

#include "win32/heap.h"

namespace kestrano {

// Value names in the host's settings key.
inline constexpr wchar_t kDoubleClickSwitch[] = L"KestranobDoubleClick";
inline constexpr wchar_t kUnreadDoubleClickSwitch[] = L"KestranobUnreadDbclk";
inline constexpr wchar_t kExternalEditorValue[] = L"ExtTextEditor";

inline constexpr DWORD kDoubleClickDefault = 1;
inline constexpr DWORD kUnreadDoubleClickDefault = 0;

// Opens the key afresh for every operation and closes it before returning; it
// never creates the key, which belongs to the host. The key lies under
// HKEY_CURRENT_USER, where the host keeps its settings: a root passed in could
// not be a constant (the predefined keys are casts), and the process-wide
// accessor must need no constructor run at load.
class SettingsKey {
public:
    constexpr explicit SettingsKey(LPCSTR path) noexcept : path_(path) {}

    // Writes the default unless the value already fits a DWORD (an empty
    // value counts as present). S_OK or E_FAIL.
    HRESULT SeedDefault(LPCWSTR name, DWORD value) const noexcept;

    // The value's data when it is at most 4 bytes, zero-extended; 0 when the
    // key or value is missing or the data is longer.
    DWORD ReadFlag(LPCWSTR name) const noexcept;

    // Stores value as a REG_DWORD. S_OK or E_FAIL.
    HRESULT WriteFlag(LPCWSTR name, DWORD value) const noexcept;

    // The value's raw data followed by a wide NUL (registry strings need not
    // end with one, and may hold an odd number of bytes), or nothing when the
    // key or value is missing or empty, or the heap has no room for it.
    HeapArray<wchar_t> ReadValueBytes(LPCWSTR name) const noexcept;

private:
    LPCSTR path_;
};

inline constexpr char kHostSettingsPath[] = R"(Software\RimArts\B2\Settings)";

// The plug-in's one accessor, on the host's key under HKEY_CURRENT_USER.
extern const SettingsKey settingsKey;

}  // namespace kestrano
