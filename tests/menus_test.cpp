// The submenu on the host's main menu: where it lands, what its check marks
// and greying say about the switches, what its commands change, and the
// shortcut that leaves the host's settings dialog on its editor button.

#include <gtest/gtest.h>
#include <windows.h>

#include <prsht.h>

#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "companions/namesake_settings/namesake_settings.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/session.h"
#include "devhost/settings_dialog.h"
#include "devhost/text.h"

namespace {

using namespace companions;
using namespace devhost;

constexpr int kToolsMenu = 4;  // the fifth drop-down
constexpr int kToolsItems = 2;

enum Entry { kDoubleClick, kUnread, kChangeEditor };

// Where 32-bit code is emulated, a program takes about a minute to start.
constexpr DWORD kProgramStartTimeoutMs = 10 * 60 * 1000;

std::vector<int> ItemCounts(HMENU bar) {
    std::vector<int> counts;
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) counts.push_back(::GetMenuItemCount(::GetSubMenu(bar, i)));
    return counts;
}

struct EntryState {
    bool checked;
    bool grayed;
    bool operator==(const EntryState&) const = default;
};

void PrintTo(const EntryState& state, std::ostream* out) {
    *out << (state.checked ? "checked" : "unchecked") << (state.grayed ? ", grayed" : "");
}

constexpr EntryState kChecked{true, false};
constexpr EntryState kPlain{false, false};
constexpr EntryState kGrayed{false, true};

class MenusTest : public ::testing::Test {
protected:
    void TearDown() override { CloseSession(); }

    static HMENU ToolsMenu() { return ::GetSubMenu(TheHost().menuBar, kToolsMenu); }
    static HMENU Submenu() { return ::GetSubMenu(ToolsMenu(), kToolsItems + 1); }
    static int CommandId(Entry entry) { return TheHost().commands.at(static_cast<size_t>(entry)).id; }

    // The host's look at the submenu just before it opens.
    static EntryState StateOf(Entry entry) {
        const HMENU submenu = Submenu();
        ApplyMenuStates(submenu);
        const UINT state = ::GetMenuState(submenu, static_cast<UINT>(entry), MF_BYPOSITION);
        return {(state & MF_CHECKED) != 0, (state & MF_GRAYED) != 0};
    }

    static void SetSwitches(DWORD first, DWORD second) {
        ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, first));
        ASSERT_TRUE(WriteSettingDword(kUnreadDoubleClickValue, second));
    }

    // The main window active, as when the user works in the host: only then is
    // it told that the settings dialog took the activation. Wine grants this
    // even to a process in the background; Windows may refuse a background
    // process the foreground, which the assertion then reports. Other programs
    // on the desktop, tests side by side among them, may take the foreground
    // at the same moment: a few tries.
    static void OpenActiveSession() {
        ASSERT_TRUE(OpenSession({.windows = {.visible = true}}));
        for (int attempt = 0; attempt < 5 && ::GetActiveWindow() != TheHost().mainWindow; ++attempt) {
            ::SetForegroundWindow(TheHost().mainWindow);
            ::SetActiveWindow(TheHost().mainWindow);
            PumpMessages();
        }
        ASSERT_EQ(::GetActiveWindow(), TheHost().mainWindow);
    }
};

TEST_F(MenusTest, SubmenuEndsTheFifthDropDownWithTheThreeCommands) {
    ASSERT_TRUE(OpenSession());
    const std::vector<int> counts = ItemCounts(TheHost().menuBar);
    EXPECT_EQ(counts, (std::vector<int>{3, 2, 2, 3, kToolsItems + 2, 1}));

    const HMENU tools = ToolsMenu();
    EXPECT_EQ(::GetMenuState(tools, kToolsItems, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuText(tools, kToolsItems + 1), L"外部エディタを設定する(&Y)");
    const HMENU submenu = Submenu();
    ASSERT_NE(submenu, nullptr);

    ASSERT_EQ(TheHost().commands.size(), 3u);
    ASSERT_EQ(::GetMenuItemCount(submenu), 3);
    const wchar_t* texts[] = {L"既読メールをダブルクリックしたら外部エディタで開く(&D)",
                              L"未読メールをダブルクリックしても外部エディタで開く(&U)",
                              L"外部エディタを変更する(&E)..."};
    for (int i = 0; i < 3; ++i) {
        const RegisteredCommand& command = TheHost().commands[static_cast<size_t>(i)];
        EXPECT_EQ(static_cast<int>(::GetMenuItemID(submenu, i)), command.id) << i;
        EXPECT_EQ(MenuText(submenu, i), texts[i]);
        EXPECT_EQ(Decode(command.comment, kJapaneseCodePage), texts[i]);
        EXPECT_EQ(command.target, 0);
        EXPECT_NE(command.state, nullptr);
    }
    // Before the host first asks, the first entry shows the default switch.
    EXPECT_TRUE(::GetMenuState(submenu, 0, MF_BYPOSITION) & MF_CHECKED);
}

TEST_F(MenusTest, MarksFollowTheSwitches) {
    ASSERT_TRUE(OpenSession());
    struct Case {
        DWORD first, second;
        EntryState doubleClick, unread;
    };
    const Case cases[] = {
        {1, 0, kChecked, kPlain},
        {1, 1, kChecked, kChecked},
        {0, 1, kPlain, kGrayed},
        {0, 0, kPlain, kGrayed},
        // Only exactly 1 turns the first on, only exactly 0 greys the second.
        {5, 1, kPlain, kChecked},
        {5, 0, kPlain, kPlain},
        {1, 5, kChecked, kPlain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "switches " << c.first << ", " << c.second);
        SetSwitches(c.first, c.second);
        EXPECT_EQ(StateOf(kDoubleClick), c.doubleClick);
        EXPECT_EQ(StateOf(kUnread), c.unread);
        EXPECT_EQ(StateOf(kChangeEditor), kPlain);
    }
}

TEST_F(MenusTest, MissingKeyShowsBothOffAndTogglingChangesNothing) {
    ASSERT_TRUE(OpenSession());
    DeleteSettingsKey();
    EXPECT_EQ(StateOf(kDoubleClick), kPlain);
    EXPECT_EQ(StateOf(kUnread), kGrayed);
    EXPECT_EQ(StateOf(kChangeEditor), kPlain);

    ChooseCommand(CommandId(kDoubleClick));
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_EQ(StateOf(kDoubleClick), kPlain);
}

TEST_F(MenusTest, DoubleClickEntryTogglesTheFirstSwitch) {
    ASSERT_TRUE(OpenSession());
    SetSwitches(1, 1);
    ChooseCommand(CommandId(kDoubleClick));
    EXPECT_EQ(ReadSettingDword(kDoubleClickValue), 0u);
    EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 1u);
    EXPECT_EQ(StateOf(kUnread), kGrayed);

    ChooseCommand(CommandId(kDoubleClick));
    EXPECT_EQ(ReadSettingDword(kDoubleClickValue), 1u);
    EXPECT_EQ(StateOf(kUnread), kChecked);

    // Anything but 0 counts as on here, so it turns off.
    ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, 5));
    ChooseCommand(CommandId(kDoubleClick));
    EXPECT_EQ(ReadSettingDword(kDoubleClickValue), 0u);
}

TEST_F(MenusTest, UnreadEntryTogglesOnlyWhileTheFirstSwitchIsExactlyOne) {
    ASSERT_TRUE(OpenSession());
    SetSwitches(1, 0);
    ChooseCommand(CommandId(kUnread));
    EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 1u);
    ChooseCommand(CommandId(kUnread));
    EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 0u);
    ASSERT_TRUE(WriteSettingDword(kUnreadDoubleClickValue, 5));
    ChooseCommand(CommandId(kUnread));
    EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 0u);

    // The host greys it at 0 but may let the command through anyway.
    for (const DWORD first : {0u, 5u}) {
        SCOPED_TRACE(testing::Message() << "first switch " << first);
        SetSwitches(first, 0);
        ChooseCommand(CommandId(kUnread));
        EXPECT_EQ(ReadSettingDword(kUnreadDoubleClickValue), 0u);
        EXPECT_EQ(ReadSettingDword(kDoubleClickValue), first);
    }
}

TEST_F(MenusTest, MenuBarWithFourDropDownsGetsNothingButTheCommandsAreRegistered) {
    ASSERT_TRUE(OpenSession({.windows = {.dropDownMenus = 4}, .startPlugin = false}));
    const std::vector<int> before = ItemCounts(TheHost().menuBar);
    ASSERT_EQ(before.size(), 4u);
    EXPECT_EQ(ThePlugin().OnMenuInit(TheHost().mainWindow, TheHost().menuBar, kMainMenuType), 0);
    EXPECT_EQ(ItemCounts(TheHost().menuBar), before);
    ASSERT_EQ(TheHost().commands.size(), 3u);
    for (const RegisteredCommand& command : TheHost().commands) EXPECT_NE(command.state, nullptr);
}

TEST_F(MenusTest, FailedCommandRegistrationStopsBeforeCallbacksAndMenu) {
    for (int failAt = 1; failAt <= 3; ++failAt) {
        SCOPED_TRACE(testing::Message() << "command " << failAt << " refused");
        TheHost().failRegisterCommandAt = failAt;
        ASSERT_TRUE(OpenSession());
        // All three are asked for before any result is looked at.
        EXPECT_EQ(TheHost().registerCommandCalls, 3);
        EXPECT_EQ(TheHost().registerUICallbackCalls, 0);
        EXPECT_EQ(::GetMenuItemCount(ToolsMenu()), kToolsItems);
        CloseSession();
    }
}

TEST_F(MenusTest, RefusedStateCallbackStopsThere) {
    for (int failAt = 1; failAt <= 3; ++failAt) {
        SCOPED_TRACE(testing::Message() << "state callback " << failAt << " refused");
        TheHost().failRegisterUICallbackAt = failAt;
        ASSERT_TRUE(OpenSession());
        EXPECT_EQ(TheHost().registerUICallbackCalls, failAt);
        EXPECT_EQ(::GetMenuItemCount(ToolsMenu()), kToolsItems);
        ASSERT_EQ(TheHost().commands.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(TheHost().commands[static_cast<size_t>(i)].state != nullptr, i < failAt - 1) << i;
        }
        CloseSession();
    }
}

// Under Wine the sheet takes the activation while still hidden, inside its own
// WM_INITDIALOG, so the plug-in turns the page and clicks there, before the
// sheet is the active window. Wine's button takes BM_CLICK all the same;
// Windows documents that BM_CLICK may fail in a dialog that is not active.
TEST_F(MenusTest, ChangeEditorLeavesTheDialogOnItsEditorButton) {
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    ChooseCommand(CommandId(kChangeEditor));
    PumpMessages();
    EXPECT_EQ(TheHost().hostCommands, std::vector<std::string>{"GeneralSetup"});
    ASSERT_NE(TheHost().settingsDialog, nullptr);
    // Which window is active by now is not asked: another program on the
    // desktop may have taken the foreground since, which changes nothing here.
    EXPECT_EQ(SettingsDialogPage(), kEditorPageIndex);
    EXPECT_EQ(TheHost().editorButtonClicks, 1);
}

// A host in another language: its fourth page has another title, so the
// plug-in turns the dialog there and clicks nothing.
TEST_F(MenusTest, ChangeEditorClicksOnlyOnThePageTitledEditor) {
    TheHost().editorPageTitle = L"Editor";
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    ChooseCommand(CommandId(kChangeEditor));
    PumpMessages();
    ASSERT_NE(TheHost().settingsDialog, nullptr);
    EXPECT_EQ(SettingsDialogPage(), kEditorPageIndex);
    EXPECT_EQ(TheHost().editorButtonClicks, 0);
}

TEST_F(MenusTest, OnlyTheFirstActivationChangeActs) {
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    ChooseCommand(CommandId(kChangeEditor));
    PumpMessages();
    ASSERT_EQ(TheHost().editorButtonClicks, 1);
    const HWND dialog = TheHost().settingsDialog;
    PropSheet_SetCurSel(dialog, nullptr, 0);
    ASSERT_EQ(SettingsDialogPage(), 0);

    // Back and forth, by activation and by a bare message.
    ::SetActiveWindow(TheHost().mainWindow);
    ::SetActiveWindow(dialog);
    ::SendMessageW(TheHost().mainWindow, WM_NCACTIVATE, TRUE, 0);
    PumpMessages();
    EXPECT_EQ(SettingsDialogPage(), 0);
    EXPECT_EQ(TheHost().editorButtonClicks, 1);
}

TEST_F(MenusTest, SeveralCommandsBeforeOneActivationChangeActOnce) {
    TheHost().openSettingsDialog = false;
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    for (int i = 0; i < 3; ++i) ChooseCommand(CommandId(kChangeEditor));
    EXPECT_EQ(TheHost().hostCommands.size(), 3u);
    EXPECT_EQ(TheHost().editorButtonClicks, 0);

    // The user opens the dialog later: that activation change acts, once.
    OpenSettingsDialog(TheHost().mainWindow);
    PumpMessages();
    EXPECT_EQ(SettingsDialogPage(), kEditorPageIndex);
    EXPECT_EQ(TheHost().editorButtonClicks, 1);
    ::SetActiveWindow(TheHost().mainWindow);
    ::SetActiveWindow(TheHost().settingsDialog);
    PumpMessages();
    EXPECT_EQ(TheHost().editorButtonClicks, 1);
}

TEST_F(MenusTest, ActivationChangeWithoutTheDialogUsesUpTheCommand) {
    TheHost().openSettingsDialog = false;
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    ChooseCommand(CommandId(kChangeEditor));
    ::SendMessageW(TheHost().mainWindow, WM_NCACTIVATE, FALSE, 0);

    TheHost().openSettingsDialog = true;
    OpenSettingsDialog(TheHost().mainWindow);
    PumpMessages();
    EXPECT_EQ(SettingsDialogPage(), 0);
    EXPECT_EQ(TheHost().editorButtonClicks, 0);
}

// Another program's window bears the title of the host's settings dialog and
// stands above it, so a search by title meets it first: the shortcut turns and
// clicks the host's own dialog, sends the other program nothing, and does not
// wait on it when it stops answering.
TEST_F(MenusTest, AnotherProgramsWindowOfTheSameTitleIsLeftAlone) {
    Namesake namesake;
    ASSERT_TRUE(StartNamesake(namesake, kProgramStartTimeoutMs));
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    ChooseCommand(CommandId(kChangeEditor));
    PumpMessages();
    ASSERT_NE(TheHost().settingsDialog, nullptr);
    ASSERT_EQ(::FindWindowExW(nullptr, nullptr, nullptr, kSettingsDialogTitle), namesake.window);
    EXPECT_EQ(SettingsDialogPage(), kEditorPageIndex);
    EXPECT_EQ(TheHost().editorButtonClicks, 1);
    EXPECT_EQ(NamesakeMessagesReceived(namesake.window), 0);

    CloseSettingsDialog();
    ::SetActiveWindow(TheHost().mainWindow);
    PumpMessages();
    ASSERT_TRUE(HangNamesake(namesake.window, kProgramStartTimeoutMs));
    const ULONGLONG start = ::GetTickCount64();
    ChooseCommand(CommandId(kChangeEditor));
    PumpMessages();
    EXPECT_LT(::GetTickCount64() - start, kNamesakeHangMs / 2) << "the host waited for the hung program";
    EXPECT_EQ(SettingsDialogPage(), kEditorPageIndex);
    EXPECT_EQ(TheHost().editorButtonClicks, 2);
}

// The same title on a window of another thread of the host's own process, as
// another plug-in's window would be, busy: sending it anything would freeze
// the host's thread until it answered. Last in this program: where 32-bit code
// is emulated, a process that has run threads of its own may die starting
// another program.
TEST_F(MenusTest, AnotherThreadsWindowOfTheSameTitleIsLeftAlone) {
    constexpr DWORD kBusyMs = 30 * 1000;
    Namesake namesake;
    ASSERT_TRUE(StartNamesakeThread(namesake));
    ASSERT_NO_FATAL_FAILURE(OpenActiveSession());
    ASSERT_TRUE(HangNamesake(namesake.window, kProgramStartTimeoutMs, kBusyMs));
    const ULONGLONG start = ::GetTickCount64();
    ChooseCommand(CommandId(kChangeEditor));
    PumpMessages();
    EXPECT_LT(::GetTickCount64() - start, kBusyMs / 2) << "the host waited for the busy thread";
    ASSERT_NE(TheHost().settingsDialog, nullptr);
    ASSERT_EQ(::FindWindowExW(nullptr, nullptr, nullptr, kSettingsDialogTitle), namesake.window);
    EXPECT_EQ(SettingsDialogPage(), kEditorPageIndex);
    EXPECT_EQ(TheHost().editorButtonClicks, 1);

    // Once it answers again, whatever was sent to it has arrived before this.
    EndNamesakeHang();
    ::SendMessageW(namesake.window, WM_NULL, 0, 0);
    EXPECT_EQ(NamesakeMessagesReceived(namesake.window), 0);
}

}  // namespace
