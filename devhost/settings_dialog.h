#pragma once
// The host's general-settings dialog: a modeless property sheet titled
// "全般的な設定" whose fourth page, "エディタ", holds the button (1473) with
// which the user picks the external editor.

#include <windows.h>

namespace devhost {

inline constexpr wchar_t kSettingsDialogTitle[] = L"全般的な設定";
inline constexpr wchar_t kEditorPageTitle[] = L"エディタ";
inline constexpr int kEditorPageIndex = 3;
inline constexpr int kChooseEditorButton = 1473;

// Opens the dialog, or brings it forward when it is already open.
HWND OpenSettingsDialog(HWND owner);
void CloseSettingsDialog();

// Lets the modeless dialog handle its keyboard messages; true when it took msg.
bool IsSettingsDialogMessage(MSG* message);

// Index of the page the dialog shows, or -1.
int SettingsDialogPage();

}  // namespace devhost
