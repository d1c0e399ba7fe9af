// Every Japanese text the plug-in shows or looks for is code page 932 bytes
// written by hand; each must decode to exactly the intended text, whatever
// the code page of the machine it is built on.

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "devhost/text.h"
#include "editor_feature/open_in_editor.h"
#include "editor_feature/settings_menu.h"
#include "host/plugin_info.h"

namespace {

using devhost::Decode;
using devhost::Encode;
using devhost::kJapaneseCodePage;

struct Text {
    const char* name;
    std::string_view bytes;  // the whole array, less its terminator
    const wchar_t* intended;
};

template <size_t N>
constexpr std::string_view Bytes(const char (&text)[N]) {
    return {text, N - 1};
}

const Text kTexts[] = {
    {"open command comment", Bytes(kestrano::kOpenCommandComment), L"外部エディタで開く"},
    {"open menu entry", Bytes(kestrano::kOpenMenuText), L"外部エディタで開く(&X)"},
    {"double-click entry", Bytes(kestrano::kDoubleClickMenuText),
     L"既読メールをダブルクリックしたら外部エディタで開く(&D)"},
    {"unread entry", Bytes(kestrano::kUnreadDoubleClickMenuText),
     L"未読メールをダブルクリックしても外部エディタで開く(&U)"},
    {"change editor entry", Bytes(kestrano::kChangeEditorMenuText), L"外部エディタを変更する(&E)..."},
    {"submenu title", Bytes(kestrano::kSettingsSubmenuText), L"外部エディタを設定する(&Y)"},
    {"settings dialog title", Bytes(kestrano::kGeneralSettingsTitle), L"全般的な設定"},
    {"editor page title", Bytes(kestrano::kEditorPageTitle), L"エディタ"},
    {"description", Bytes(kestrano::kPluginDescription),
     L"ダブルクリックでメールをエディタから開けるようにするプラグインです。"},
};

TEST(TextsTest, EachDecodesToItsIntendedText) {
    for (const Text& text : kTexts) {
        SCOPED_TRACE(text.name);
        // A stray "\0" or an escape that swallowed the next character shows here.
        EXPECT_EQ(std::strlen(text.bytes.data()), text.bytes.size());
        EXPECT_EQ(Decode(text.bytes, kJapaneseCodePage), text.intended);
        // Round trip: no byte sequence that merely decodes to the same text.
        EXPECT_EQ(Encode(text.intended, kJapaneseCodePage), text.bytes);
    }
}

}  // namespace
