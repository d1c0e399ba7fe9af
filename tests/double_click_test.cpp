// Double-clicking a mail in the host's mail list: what opens in the editor,
// what never does, and that the host's own handling of every message is
// untouched.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "companions/recording_editor/editor_record.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/sample_mailbox.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "tests/test_support.h"

namespace {

using namespace companions;
using namespace devhost;
using namespace test_support;

// Rows of SampleMailbox().
constexpr int kReadJapanese = 0;
constexpr int kReadEnglish = 1;
constexpr int kUnreadEnglish = 2;
constexpr int kUnreadJapanese = 3;
constexpr int kReadInOutbox = 4;

// Code page 932 "グutbox": the 'O' is the second byte of a double-byte
// character, yet the identifier's bytes hold "Outbox", and it is searched
// byte by byte.
constexpr char kOutboxAfterLeadByte[] = "4a7f21c0.mb\\\x83Outbox\\";

// Each editor is a separate process, and under an emulated Wine a slow one.
constexpr DWORD kLaunchTimeoutMs = 10 * 60 * 1000;

// A double-click with a modifier held, so that a hook rebuilding the
// parameters instead of passing them on shows.
constexpr WPARAM kDoubleClickKeys = MK_LBUTTON | MK_CONTROL;

class DoubleClickTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp_ = MakeScratchFolder(L"kestrano double-click");
        records_ = MakeScratchFolder(L"kestrano editor records");
        ASSERT_FALSE(temp_.empty());
        ASSERT_FALSE(records_.empty());
        // Editors started by the plug-in inherit this process's environment.
        ASSERT_TRUE(::SetEnvironmentVariableW(kEditorRecordVariable, records_.c_str()));

        ASSERT_TRUE(OpenSession({.startPlugin = false}));
        Host& host = TheHost();
        host.mails = SampleMailbox();
        host.tempFolder = ToAnsi(temp_);
        ASSERT_TRUE(SetExternalEditor(RecordingEditorPath()));

        // Editors are counted as they start; their records come later.
        ASSERT_TRUE(WatchLaunches());
        ForgetArrivals();
        SetArrivalStamp(&LaunchesStarted);
        // The plug-in's hook goes over this one, which from the hook's side is
        // the host's own procedure.
        ASSERT_TRUE(PutHostSide(host.mailList, 0));
        const WNDPROC hostSide = ProcedureOf(host.mailList);
        StartPluginInHost();
        // Otherwise every "nothing opens" below would hold without the plug-in.
        ASSERT_NE(ProcedureOf(host.mailList), hostSide);
        SetSwitches(1, 0);
        launchesBefore_ = LaunchesStarted();
    }

    void TearDown() override {
        // A running editor still holds its file open.
        WaitForLaunchesToEnd(kLaunchTimeoutMs);
        CloseSession();
        SetArrivalStamp(nullptr);
        ::SetEnvironmentVariableW(kEditorRecordVariable, nullptr);
        RemoveScratchFolder(temp_);
        RemoveScratchFolder(records_);
    }

    static void SetSwitches(DWORD first, DWORD second) {
        ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, first));
        ASSERT_TRUE(WriteSettingDword(kUnreadDoubleClickValue, second));
    }

    // What the system sends for a double-click on a row: the first click makes
    // the row's mail current in the host, the second arrives as the double-click.
    static LRESULT DoubleClick(int row) {
        const HWND list = TheHost().mailList;
        const LPARAM point = MailRowPoint(row);
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageW(list, WM_LBUTTONUP, 0, point);
        const LRESULT result = ::SendMessageW(list, WM_LBUTTONDBLCLK, kDoubleClickKeys, point);
        ::SendMessageW(list, WM_LBUTTONUP, 0, point);
        return result;
    }

    // Mails opened so far, as files written into the host's temporary folder
    // and as editors started; both are final when the double-click returns.
    using Opened = std::pair<size_t, size_t>;
    Opened OpenedSoFar() const { return {CountFiles(temp_), LaunchesStarted() - launchesBefore_}; }
    static Opened Both(size_t count) { return {count, count}; }

    // The texts that the started editors were given, sorted, since the
    // editors finish in any order.
    std::vector<std::string> LaunchedTexts() const {
        std::vector<std::string> texts;
        const size_t started = LaunchesStarted() - launchesBefore_;
        for (const EditorLaunch& launch : WaitForEditorLaunches(records_, started, kLaunchTimeoutMs)) {
            texts.push_back(launch.content);
        }
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    static std::vector<std::string> TextsOf(std::initializer_list<int> rows) {
        std::vector<std::string> texts;
        for (const int row : rows) texts.push_back(*SampleMailbox()[static_cast<size_t>(row)].text);
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    std::wstring temp_;
    std::wstring records_;
    size_t launchesBefore_ = 0;
};

TEST_F(DoubleClickTest, ReadMailOpensAndUnreadMailOnlyWithTheSecondSwitch) {
    Host& host = TheHost();
    EXPECT_EQ(DoubleClick(kReadJapanese), kMailListDoubleClickResult);
    EXPECT_EQ(OpenedSoFar(), Both(1));

    // The host marks the mail read as it handles the double-click; the plug-in
    // has looked at the status before that, so the mail still counts as unread.
    ASSERT_FALSE(host.mails[kUnreadJapanese].read);
    EXPECT_EQ(DoubleClick(kUnreadJapanese), kMailListDoubleClickResult);
    EXPECT_TRUE(host.mails[kUnreadJapanese].read);
    EXPECT_EQ(OpenedSoFar(), Both(1));

    SetSwitches(1, 1);
    EXPECT_EQ(DoubleClick(kUnreadEnglish), kMailListDoubleClickResult);
    EXPECT_EQ(OpenedSoFar(), Both(2));
    EXPECT_EQ(DoubleClick(kReadEnglish), kMailListDoubleClickResult);
    EXPECT_EQ(OpenedSoFar(), Both(3));

    // The host handled every double-click, with the parameters it was sent,
    // and only after the plug-in had started the editor for it.
    const std::vector<Arrival> clicks = ArrivalsOf(WM_LBUTTONDBLCLK);
    ASSERT_EQ(clicks.size(), 4u);
    const int rows[] = {kReadJapanese, kUnreadJapanese, kUnreadEnglish, kReadEnglish};
    const size_t startedWhenHostHandled[] = {1, 1, 2, 3};
    for (size_t i = 0; i < clicks.size(); ++i) {
        EXPECT_EQ(clicks[i].wParam, kDoubleClickKeys) << "click " << i;
        EXPECT_EQ(clicks[i].lParam, MailRowPoint(rows[i])) << "click " << i;
        EXPECT_EQ(clicks[i].result, kMailListDoubleClickResult) << "click " << i;
        EXPECT_EQ(clicks[i].stamp - launchesBefore_, startedWhenHostHandled[i]) << "click " << i;
    }

    EXPECT_EQ(LaunchedTexts(), TextsOf({kReadJapanese, kUnreadEnglish, kReadEnglish}));
}

TEST_F(DoubleClickTest, SwitchesMustReadExactlyOneAtEachDoubleClick) {
    // 0x101: a check of the low byte alone would take it for 1.
    for (const DWORD value : {0ul, 5ul, 0x101ul}) {
        SetSwitches(value, 1);
        TheHost().calls.clear();
        EXPECT_EQ(DoubleClick(kReadJapanese), kMailListDoubleClickResult) << value;
        EXPECT_EQ(OpenedSoFar(), Both(0)) << value;
        // Switched off, the plug-in does not even ask the host about the mail.
        EXPECT_TRUE(TheHost().calls.empty()) << value << ": " << TheHost().calls.front();
    }
    DeleteSetting(kDoubleClickValue);
    EXPECT_EQ(DoubleClick(kReadJapanese), kMailListDoubleClickResult);
    EXPECT_EQ(OpenedSoFar(), Both(0));
    EXPECT_EQ(TheHost().hostDoubleClicks.size(), 4u);

    // Nor does the second switch count unless it reads exactly 1 (each
    // double-click marks its mail read: another unread mail each time).
    const std::pair<DWORD, int> unread[] = {{5, kUnreadEnglish}, {0x101, kUnreadJapanese}};
    for (const auto& [value, row] : unread) {
        SetSwitches(1, value);
        DoubleClick(row);
        EXPECT_EQ(OpenedSoFar(), Both(0)) << value;
    }

    // Switched on in the registry while the plug-in runs: the next double-click opens.
    SetSwitches(1, 0);
    DoubleClick(kReadEnglish);
    EXPECT_EQ(OpenedSoFar(), Both(1));
    EXPECT_EQ(LaunchedTexts(), TextsOf({kReadEnglish}));
}

TEST_F(DoubleClickTest, OutboxFoldersAndNoFolderOpenNothing) {
    SetSwitches(1, 1);
    Host& host = TheHost();
    EXPECT_EQ(DoubleClick(kReadInOutbox), kMailListDoubleClickResult);
    EXPECT_EQ(OpenedSoFar(), Both(0));

    const std::string outboxes[] = {"Outbox", "4a7f21c0.mb\\Old mail\\Outbox 2024\\", "4a7f21c0.mb\\MyOutboxes\\",
                                    "OutboxOutbox", kOutboxAfterLeadByte};
    for (const std::string& folder : outboxes) {
        host.currentFolderOverride = std::optional<std::string>{folder};
        EXPECT_EQ(DoubleClick(kReadJapanese), kMailListDoubleClickResult) << folder;
        EXPECT_EQ(OpenedSoFar(), Both(0)) << folder;
    }

    host.currentFolderOverride = std::optional<std::string>{};
    EXPECT_EQ(DoubleClick(kReadJapanese), kMailListDoubleClickResult);
    EXPECT_EQ(OpenedSoFar(), Both(0));
    EXPECT_EQ(host.hostDoubleClicks.size(), std::size(outboxes) + 2);
}

TEST_F(DoubleClickTest, OutboxInOtherLetterCaseOrCutShortIsAnOrdinaryFolder) {
    SetSwitches(1, 1);
    Host& host = TheHost();
    host.currentFolderOverride = std::optional<std::string>{"4a7f21c0.mb\\!!!outbox\\"};
    DoubleClick(kReadJapanese);
    EXPECT_EQ(OpenedSoFar(), Both(1));
    host.currentFolderOverride = std::optional<std::string>{"4a7f21c0.mb\\OUTBOX\\"};
    DoubleClick(kUnreadEnglish);
    EXPECT_EQ(OpenedSoFar(), Both(2));
    // Nor is a folder whose name only starts like it.
    host.currentFolderOverride = std::optional<std::string>{"4a7f21c0.mb\\Outbound\\"};
    DoubleClick(kReadEnglish);
    EXPECT_EQ(OpenedSoFar(), Both(3));

    EXPECT_EQ(LaunchedTexts(), TextsOf({kReadJapanese, kUnreadEnglish, kReadEnglish}));
}

// An empty folder has no current mail: the host answers null or an empty
// identifier. With every switch on, a double-click there writes no file (not
// even an empty "(no subject)") and starts nothing; the host still handles it.
TEST_F(DoubleClickTest, DoubleClickInAnEmptyFolderOpensNothing) {
    SetSwitches(1, 1);
    Host& host = TheHost();
    host.mails.clear();
    host.currentMail = -1;
    host.currentFolderOverride = std::optional<std::string>{kInboxFolder};
    for (const bool emptyId : {false, true}) {
        host.emptyIdWithoutMail = emptyId;
        EXPECT_EQ(DoubleClick(0), kMailListDoubleClickResult) << emptyId;
        EXPECT_EQ(OpenedSoFar(), Both(0)) << emptyId;
    }
    EXPECT_EQ(host.hostDoubleClicks.size(), 2u);
}

TEST_F(DoubleClickTest, OtherMessagesPassStraightThrough) {
    // Set so that a double-click on any mail would open it.
    SetSwitches(1, 1);
    const HWND list = TheHost().mailList;
    struct Sent {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Sent messages[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MailRowPoint(kReadEnglish)},
        {WM_LBUTTONUP, MK_SHIFT, MailRowPoint(kReadEnglish)},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, MailRowPoint(kReadJapanese)},
        {WM_MBUTTONDBLCLK, MK_MBUTTON, MailRowPoint(kReadJapanese)},
        {WM_NCLBUTTONDBLCLK, HTCLIENT, MailRowPoint(kReadJapanese)},
        {WM_MOUSEMOVE, MK_LBUTTON, MailRowPoint(kUnreadEnglish)},
        {kProbeMessage, static_cast<WPARAM>(~0ull / 3), static_cast<LPARAM>(~0ull / 5)},
    };
    for (const Sent& sent : messages) {
        const LRESULT result = ::SendMessageW(list, sent.message, sent.wParam, sent.lParam);
        const std::vector<Arrival> seen = ArrivalsOf(sent.message);
        ASSERT_EQ(seen.size(), 1u) << std::hex << sent.message;
        EXPECT_EQ(seen[0].wParam, sent.wParam) << std::hex << sent.message;
        EXPECT_EQ(seen[0].lParam, sent.lParam) << std::hex << sent.message;
        EXPECT_EQ(result, seen[0].result) << std::hex << sent.message;
    }
    EXPECT_EQ(::SendMessageW(list, kProbeMessage, 0, 0), kProbeAnswer);

    // The single click reached the host, which made its row current.
    EXPECT_EQ(TheHost().currentMail, kReadEnglish);
    EXPECT_TRUE(TheHost().hostDoubleClicks.empty());
    EXPECT_EQ(OpenedSoFar(), Both(0));
}

}  // namespace
