// The plug-in's switches in the host's settings key: what reads back from
// whatever the key holds, what start-up seeds, and that the key itself is
// never the plug-in's to create.

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/sample_mailbox.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "settings/settings_key.h"
#include "tests/test_support.h"

namespace {

using namespace devhost;
using kestrano::settingsKey;
using test_support::CountFiles;
using test_support::PluginImportReplaced;

constexpr wchar_t kEditor[] = L"ExtTextEditor";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Whatever an earlier run left behind would hide a missing write.
        DeleteSettingsKey();
        ASSERT_TRUE(CreateSettingsKey());
    }
    void TearDown() override {
        CloseSession();
        DeleteSettingsKey();
        CreateSettingsKey();
        RemoveScratchFolder(temp_);
    }

    std::wstring temp_;  // the host's temporary folder, where a test needs one

    // Exactly these bytes: the registry stores a string one character longer
    // when a wide NUL happens to follow the data in memory.
    static void WriteBytes(const wchar_t* name, DWORD type, const std::string& bytes) {
        const std::string followed = bytes + "\xFF\xFF\xFF\xFF";
        ASSERT_TRUE(WriteSettingRaw(name, type, followed.data(), static_cast<DWORD>(bytes.size())));
        const auto stored = ReadSettingRaw(name);
        ASSERT_TRUE(stored);
        ASSERT_EQ(stored->bytes, bytes);
    }
    static std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }
};

TEST_F(SettingsTest, MissingKeyReadsZeroRefusesWritesAndStaysMissing) {
    ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, 1));
    ASSERT_TRUE(SetExternalEditor(L"C:\\editor.exe"));
    DeleteSettingsKey();
    ASSERT_FALSE(SettingsKeyExists());

    EXPECT_EQ(settingsKey.ReadFlag(kDoubleClickValue), 0u);
    EXPECT_EQ(settingsKey.ReadFlag(kUnreadDoubleClickValue), 0u);
    EXPECT_FALSE(settingsKey.ReadValueBytes(kEditor));
    EXPECT_EQ(settingsKey.WriteFlag(kDoubleClickValue, 1), E_FAIL);
    EXPECT_EQ(settingsKey.SeedDefault(kUnreadDoubleClickValue, 0), E_FAIL);
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(SettingsTest, StartUpWithoutTheKeyLeavesItMissing) {
    DeleteSettingsKey();
    ASSERT_TRUE(OpenSession({.createSettingsKey = false}));
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(SettingsTest, WritesAFourByteDwordAndReadsItBack) {
    EXPECT_EQ(settingsKey.WriteFlag(kUnreadDoubleClickValue, 1), S_OK);
    const auto stored = ReadSettingRaw(kUnreadDoubleClickValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored->bytes, Dword(1));
    EXPECT_EQ(settingsKey.ReadFlag(kUnreadDoubleClickValue), 1u);

    EXPECT_EQ(settingsKey.WriteFlag(kUnreadDoubleClickValue, 0), S_OK);
    EXPECT_EQ(settingsKey.ReadFlag(kUnreadDoubleClickValue), 0u);
}

TEST_F(SettingsTest, StartUpSeedsAbsentSwitchesWithTheirDefaults) {
    ASSERT_TRUE(OpenSession());
    for (const auto& [name, value] : {std::pair{kDoubleClickValue, 1u}, std::pair{kUnreadDoubleClickValue, 0u}}) {
        const auto stored = ReadSettingRaw(name);
        ASSERT_TRUE(stored) << "not seeded";
        EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(stored->bytes, Dword(value));
    }
}

TEST_F(SettingsTest, StartUpKeepsWhatTheUserChose) {
    // The opposite of both defaults, so a seeding that overwrites shows.
    ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, 0));
    ASSERT_TRUE(WriteSettingDword(kUnreadDoubleClickValue, 1));
    ASSERT_TRUE(OpenSession());
    EXPECT_EQ(ReadSettingDword(kDoubleClickValue), 0u);
    EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 1u);
}

TEST_F(SettingsTest, StartUpReplacesDataLongerThanFourBytes) {
    const std::wstring text = L"yes";  // 8 bytes with its terminator
    WriteBytes(kDoubleClickValue, REG_SZ, std::string(reinterpret_cast<const char*>(text.c_str()), 8));
    WriteBytes(kUnreadDoubleClickValue, REG_BINARY, std::string("\x01\x00\x00\x00\x00", 5));
    EXPECT_EQ(settingsKey.ReadFlag(kDoubleClickValue), 0u);
    EXPECT_EQ(settingsKey.ReadFlag(kUnreadDoubleClickValue), 0u);

    ASSERT_TRUE(OpenSession());
    const auto first = ReadSettingRaw(kDoubleClickValue);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(first->bytes, Dword(1));
    EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 0u);
}

TEST_F(SettingsTest, EmptyValueIsLeftAloneAndReadsZero) {
    WriteBytes(kDoubleClickValue, REG_BINARY, "");
    ASSERT_TRUE(OpenSession());
    const auto stored = ReadSettingRaw(kDoubleClickValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored->bytes, "");
    EXPECT_EQ(settingsKey.ReadFlag(kDoubleClickValue), 0u);
}

TEST_F(SettingsTest, OtherNumbersReadAsStoredAndSurviveStartUp) {
    ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, 5));
    ASSERT_TRUE(WriteSettingDword(kUnreadDoubleClickValue, 0xFFFFFFFF));
    ASSERT_TRUE(OpenSession());
    EXPECT_EQ(settingsKey.ReadFlag(kDoubleClickValue), 5u);
    EXPECT_EQ(settingsKey.ReadFlag(kUnreadDoubleClickValue), 0xFFFFFFFFu);
}

TEST_F(SettingsTest, ShortDataReadsZeroFilledLittleEndianWhateverItsType) {
    struct Case {
        DWORD type;
        std::string bytes;
        DWORD expected;
    };
    const Case cases[] = {
        {REG_BINARY, "\x05", 0x05},
        {REG_BINARY, "\x01\x02", 0x0201},
        {REG_BINARY, "\xFF\xFE\xFD", 0x00FDFEFF},
        {REG_SZ, std::string("1\0", 2), 0x31},
        {REG_BINARY, std::string("\x01\x00\x00\x00", 4), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bytes " << c.bytes.size() << ", expected " << c.expected);
        WriteBytes(kDoubleClickValue, c.type, c.bytes);
        EXPECT_EQ(settingsKey.ReadFlag(kDoubleClickValue), c.expected);
        // Short data fits the 4-byte query, so seeding keeps it.
        EXPECT_EQ(settingsKey.SeedDefault(kDoubleClickValue, 7), S_OK);
        EXPECT_EQ(ReadSettingRaw(kDoubleClickValue)->bytes, c.bytes);
    }
}

TEST_F(SettingsTest, ReadValueBytesOfNothingIsNull) {
    EXPECT_FALSE(settingsKey.ReadValueBytes(kEditor));
    WriteBytes(kEditor, REG_SZ, "");
    EXPECT_FALSE(settingsKey.ReadValueBytes(kEditor));
}

TEST_F(SettingsTest, ReadValueBytesEndsUnterminatedDataWithAWideNul) {
    const std::wstring path = L"C:\\Tools\\ed.exe";
    const std::string whole(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t));
    // Without a terminator, and then cut inside the last character.
    for (const std::string& stored : {whole, whole.substr(0, whole.size() - 1)}) {
        SCOPED_TRACE(testing::Message() << stored.size() << " bytes");
        WriteBytes(kEditor, REG_SZ, stored);
        const auto value = settingsKey.ReadValueBytes(kEditor);
        ASSERT_TRUE(value);
        const size_t wholeChars = (stored.size() + 1) / sizeof(wchar_t);
        const char* bytes = reinterpret_cast<const char*>(value.get());
        EXPECT_EQ(std::string(bytes, stored.size()), stored);
        // Past the stored bytes: zero up to and including one whole wide NUL.
        for (size_t i = stored.size(); i < (wholeChars + 1) * sizeof(wchar_t); ++i) {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
        EXPECT_EQ(std::wcslen(value.get()), stored.size() / sizeof(wchar_t) + stored.size() % 2);
        // The NUL is the buffer's own, not whatever lies past it on the heap.
        EXPECT_GE(::HeapSize(::GetProcessHeap(), 0, value.get()), (wholeChars + 1) * sizeof(wchar_t));
    }
}

// The plug-in's registry calls, seen through its imports: the keys it holds open.
struct KeyWatch {
    std::set<HKEY> open;
    size_t opened = 0;
    // Asked for something else than the host's key, with the access to read and set values.
    size_t otherRequests = 0;
};
KeyWatch keys;

LSTATUS WINAPI WatchedRegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key) {
    // More access (KEY_ALL_ACCESS, say) would be refused where a user may only read and write values.
    if (root != HKEY_CURRENT_USER || std::string_view{path} != R"(Software\RimArts\B2\Settings)" ||
        access != (KEY_READ | KEY_SET_VALUE)) {
        ++keys.otherRequests;
    }
    const LSTATUS status = ::RegOpenKeyExA(root, path, options, access, key);
    if (status == ERROR_SUCCESS) {
        keys.open.insert(*key);
        ++keys.opened;
    }
    return status;
}

LSTATUS WINAPI WatchedRegCloseKey(HKEY key) {
    keys.open.erase(key);
    return ::RegCloseKey(key);
}

// Over every operation, and every way each ends, the host's key is closed
// again: the host must find it as free as before the plug-in came.
TEST_F(SettingsTest, EveryKeyItOpensIsClosed) {
    temp_ = MakeScratchFolder(L"kestrano settings");
    ASSERT_FALSE(temp_.empty());
    ASSERT_TRUE(OpenSession({.startPlugin = false}));
    TheHost().mails = SampleMailbox();
    TheHost().tempFolder = ToAnsi(temp_);
    keys = KeyWatch{};
    {
        const PluginImportReplaced open{"ADVAPI32.dll", "RegOpenKeyExA", &WatchedRegOpenKeyExA};
        const PluginImportReplaced close{"ADVAPI32.dll", "RegCloseKey", &WatchedRegCloseKey};
        ASSERT_TRUE(open.active() && close.active());
        StartPluginInHost();    // seeding absent values
        ThePlugin().OnStart();  // and present ones
        WriteBytes(kDoubleClickValue, REG_SZ, std::string(8, 'x'));
        ThePlugin().OnStart();  // and one too long
        const HMENU submenu = ::GetSubMenu(::GetSubMenu(TheHost().menuBar, 4), 3);
        ASSERT_NE(submenu, nullptr);
        for (const RegisteredCommand& command : TheHost().commands) {
            ApplyMenuStates(submenu);
            if (command.id != TheHost().commands.back().id) ChooseCommand(command.id);
        }
        // Double-clicks read both switches, and the open command the editor:
        // absent, then an empty path, which starts nothing.
        ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, 1));
        ASSERT_TRUE(WriteSettingDword(kUnreadDoubleClickValue, 1));
        for (const bool editorSet : {false, true}) {
            if (editorSet) {
                ASSERT_TRUE(SetExternalEditor(L""));
            }
            SelectMail(2);  // unread
            ::SendMessageW(TheHost().mailList, WM_LBUTTONDBLCLK, MK_LBUTTON, MailRowPoint(2));
        }
        EXPECT_EQ(CountFiles(temp_), 2u) << "the double-clicks did not open the mail";
        DeleteSettingsKey();
        ThePlugin().OnStart();
        ApplyMenuStates(submenu);
    }
    EXPECT_GE(keys.opened, 12u);
    EXPECT_TRUE(keys.open.empty()) << keys.open.size() << " of " << keys.opened << " keys left open";
    EXPECT_EQ(keys.otherRequests, 0u);
}

// A write the registry refuses is reported, never taken for done.
TEST_F(SettingsTest, RefusedWriteIsAFailure) {
    // Longer than any value name the registry takes.
    const std::wstring name(20000, L'n');
    EXPECT_EQ(settingsKey.WriteFlag(name.c_str(), 1), E_FAIL);
    EXPECT_EQ(settingsKey.SeedDefault(name.c_str(), 1), E_FAIL);
}

TEST_F(SettingsTest, ReadValueBytesKeepsATerminatedPathWhole) {
    ASSERT_TRUE(SetExternalEditor(L"C:\\Program Files\\エディタ\\ed.exe"));
    const auto value = settingsKey.ReadValueBytes(kEditor);
    ASSERT_TRUE(value);
    EXPECT_STREQ(value.get(), L"C:\\Program Files\\エディタ\\ed.exe");
}

}  // namespace
