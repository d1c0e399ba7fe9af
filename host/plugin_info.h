#pragma once
// The record the host hands to BKC_OnPlugInInfo, and what the plug-in puts in it.

#include <cstddef>

#include "kestrano_version.h"

namespace kestrano {

// Four NUL-terminated ANSI fields at fixed offsets. The description field and
// the record extend as far as the host made them; the plug-in writes at most
// 69 bytes there and touches nothing outside its four strings.
struct PluginInfo {
    char name[80];
    char vendor[80];
    char version[80];
    char description[80];
};
static_assert(offsetof(PluginInfo, vendor) == 80 && offsetof(PluginInfo, version) == 160 &&
              offsetof(PluginInfo, description) == 240);

inline constexpr char kPluginName[] = "Kestrano";
inline constexpr char kPluginVendor[] = "Brenvolt";
inline constexpr char kPluginVersion[] = KESTRANO_VERSION_TEXT;
// ダブルクリックでメールをエディタから開けるようにするプラグインです。
inline constexpr char kPluginDescription[] =
    "\x83_\x83u\x83\x8B\x83N\x83\x8A\x83"
    "b\x83N\x82\xC5\x83\x81\x81[\x83\x8B\x82\xF0\x83G\x83"
    "f\x83"
    "B\x83^"
    "\x82\xA9\x82\xE7\x8AJ\x82\xAF\x82\xE9\x82\xE6\x82\xA4\x82\xC9\x82\xB7\x82\xE9\x83v\x83\x89\x83O\x83"
    "C\x83\x93\x82\xC5\x82\xB7\x81"
    "B";
static_assert(sizeof kPluginDescription == 69);

}  // namespace kestrano
