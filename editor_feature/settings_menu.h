#pragma once
// The submenu on the host's main menu that switches double-click opening, and
// the shortcut to the host's own choice of external editor.

#include <windows.h>

#include "host/window_hook.h"

namespace kestrano {

// Code page 932 texts, exactly as the host shows them.
// 既読メールをダブルクリックしたら外部エディタで開く(&D)
inline constexpr char kDoubleClickMenuText[] =
    "\x8A\xF9\x93\xC7\x83\x81\x81[\x83\x8B\x82\xF0\x83_\x83u\x83\x8B\x83N\x83\x8A\x83"
    "b\x83N\x82\xB5\x82\xBD"
    "\x82\xE7\x8AO\x95\x94\x83G\x83"
    "f\x83"
    "B\x83^\x82\xC5\x8AJ\x82\xAD(&D)";
// 未読メールをダブルクリックしても外部エディタで開く(&U)
inline constexpr char kUnreadDoubleClickMenuText[] =
    "\x96\xA2\x93\xC7\x83\x81\x81[\x83\x8B\x82\xF0\x83_\x83u\x83\x8B\x83N\x83\x8A\x83"
    "b\x83N\x82\xB5\x82\xC4"
    "\x82\xE0\x8AO\x95\x94\x83G\x83"
    "f\x83"
    "B\x83^\x82\xC5\x8AJ\x82\xAD(&U)";
// 外部エディタを変更する(&E)...
inline constexpr char kChangeEditorMenuText[] =
    "\x8AO\x95\x94\x83G\x83"
    "f\x83"
    "B\x83^\x82\xF0\x95\xCF\x8DX\x82\xB7\x82\xE9(&E)...";
// 外部エディタを設定する(&Y) (the submenu's title)
inline constexpr char kSettingsSubmenuText[] =
    "\x8AO\x95\x94\x83G\x83"
    "f\x83"
    "B\x83^\x82\xF0\x90\xDD\x92\xE8\x82\xB7\x82\xE9(&Y)";

// The host's general-settings dialog and its editor page, by their titles.
// 全般的な設定
inline constexpr char kGeneralSettingsTitle[] = "\x91S\x94\xCA\x93I\x82\xC8\x90\xDD\x92\xE8";
// エディタ
inline constexpr char kEditorPageTitle[] =
    "\x83G\x83"
    "f\x83"
    "B\x83^";

// Registers the three commands and their state callbacks, and appends the
// submenu to the fifth drop-down menu of menuBar.
void BuildSettingsSubmenu(HMENU menuBar) noexcept;

// The main window as a hooked role: its hook finishes "change the external
// editor" once the host's settings dialog has taken activation.
extern HookedRole mainWindowRole;

}  // namespace kestrano
