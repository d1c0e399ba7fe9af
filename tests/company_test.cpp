// Start-up's window hooks among other plug-ins on the same windows: another
// plug-in above or under Kestrano, doing what plug-ins do with the messages it
// passes; a renamed copy of Kestrano itself; the host replacing its mail list,
// running start-up again, destroying its windows, or letting the plug-in go
// first.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/sample_mailbox.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "tests/test_support.h"

namespace {

using namespace devhost;
using namespace test_support;

// Kestrano is one of the plug-ins a user installs: another subclasses the same
// windows, after it or before it; the host may run start-up again, report a
// new mail list while the old one lives, or let the plug-in go before its
// windows. Under both plug-ins sit host-side procedures, one per window.
class CompanyTest : public ::testing::Test {
protected:
    enum Side { kMainSide, kListSide, kNewListSide };
    static constexpr int kReadMail = 1;  // of SampleMailbox()

    void SetUp() override {
        temp_ = MakeScratchFolder(L"kestrano company");
        ASSERT_FALSE(temp_.empty());
    }

    void TearDown() override {
        SendProbeAtLastMessage(false);
        CloseSession();
        RemoveScratchFolder(temp_);
    }

    // No plug-in started yet; double-click opening on, and no editor, so an
    // opened mail shows as a file in the host's temporary folder.
    void OpenWith(Neighbour neighbour, bool pluginCopy = false) {
        ForgetArrivals();
        ASSERT_TRUE(OpenSession({.neighbour = neighbour, .pluginCopy = pluginCopy, .startPlugin = false}));
        Host& host = TheHost();
        host.mails = SampleMailbox();
        host.tempFolder = ToAnsi(temp_);
        ASSERT_TRUE(WriteSettingDword(kDoubleClickValue, 1));
        ASSERT_TRUE(PutHostSide(host.mainWindow, kMainSide));
        ASSERT_TRUE(PutHostSide(host.mailList, kListSide));
    }

    // The probe's answer comes back, after it reached window's own host-side
    // procedure once and the neighbour once if it subclassed window, or not at all.
    static void ExpectEachProcedureSeesTheProbeOnce(HWND window, Side side, bool neighbourOnIt) {
        ForgetArrivals();
        const int neighbourBefore = NeighbourMessagesSeen(window, kProbeMessage);
        EXPECT_EQ(::SendMessageW(window, kProbeMessage, 0, 0), kProbeAnswer);
        const std::vector<Arrival> seen = ArrivalsOf(kProbeMessage);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].window, window);
        EXPECT_EQ(seen[0].side, side) << "another window's procedure got the message";
        EXPECT_EQ(NeighbourMessagesSeen(window, kProbeMessage) - neighbourBefore, neighbourOnIt ? 1 : 0);
    }

    // Each double-click on a read mail opens it once (with two copies of the
    // plug-in, once for each): so many files more.
    void ExpectTheDoubleClickOpensOnce(HWND list, size_t copies = 1) {
        const size_t filesBefore = CountFiles(temp_);
        EXPECT_EQ(DoubleClickReadMail(list), kMailListDoubleClickResult);
        EXPECT_EQ(CountFiles(temp_) - filesBefore, copies) << "the double-click did not open the mail once per copy";
    }

    static LRESULT DoubleClickReadMail(HWND list) {
        SelectMail(kReadMail);
        return ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MailRowPoint(kReadMail));
    }

    std::wstring temp_;
};

// Whatever the neighbour does with the messages that pass through it, the
// second start-up finds the hooks in place, above the neighbour or under it.
TEST_F(CompanyTest, SecondStartUpWithANeighbourHooksNothingTwice) {
    struct Company {
        Neighbour neighbour;
        bool keepsRegisteredMessages;
        const char* trace;
    };
    for (const Company company :
         {Company{Neighbour::kLoadedAfter, false, "neighbour loaded after"},
          Company{Neighbour::kLoadedBefore, false, "neighbour loaded before"},
          Company{Neighbour::kLoadedAfter, true, "neighbour above keeps registered messages"}}) {
        SCOPED_TRACE(company.trace);
        ASSERT_NO_FATAL_FAILURE(OpenWith(company.neighbour));
        if (company.keepsRegisteredMessages) NeighbourKeepsRegisteredMessages();
        StartPluginInHost();
        EXPECT_EQ(ThePlugin().OnStart(), 0);

        const Host& host = TheHost();
        ExpectEachProcedureSeesTheProbeOnce(host.mailList, kListSide, true);
        ExpectEachProcedureSeesTheProbeOnce(host.mainWindow, kMainSide, true);
        ExpectTheDoubleClickOpensOnce(host.mailList);
        EXPECT_EQ(host.hostDoubleClicks.size(), 1u);
        EXPECT_EQ(NeighbourMessagesSeen(host.mailList, WM_LBUTTONDBLCLK), 1);
        CloseSession();
    }
}

TEST_F(CompanyTest, ReplacedMailListPassesEachWindowsMessagesToItsOwnProcedure) {
    // The neighbour goes over Kestrano on the first list, so Kestrano cannot
    // give that list its own procedure back.
    ASSERT_NO_FATAL_FAILURE(OpenWith(Neighbour::kLoadedAfter));
    StartPluginInHost();
    const HWND firstList = TheHost().mailList;
    const HWND newList = ReplaceMailList();
    ASSERT_NE(newList, nullptr);
    ASSERT_TRUE(PutHostSide(newList, kNewListSide));
    EXPECT_EQ(ThePlugin().OnStart(), 0);

    ExpectEachProcedureSeesTheProbeOnce(firstList, kListSide, true);
    ExpectEachProcedureSeesTheProbeOnce(newList, kNewListSide, false);
    ExpectEachProcedureSeesTheProbeOnce(TheHost().mainWindow, kMainSide, true);

    EXPECT_EQ(DoubleClickReadMail(newList), kMailListDoubleClickResult);
    EXPECT_EQ(CountFiles(temp_), 1u);
    EXPECT_EQ(DoubleClickReadMail(firstList), kMailListDoubleClickResult);
    const std::vector<Arrival> clicks = ArrivalsOf(WM_LBUTTONDBLCLK);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].side, kNewListSide);
    EXPECT_EQ(clicks[1].side, kListSide);
}

TEST_F(CompanyTest, PluginFreedBeforeItsWindowsStaysMapped) {
    ASSERT_NO_FATAL_FAILURE(OpenWith(Neighbour::kNone));
    StartPluginInHost();
    ASSERT_NE(ProcedureOf(TheHost().mailList), nullptr);
    UnloadPlugin();  // BKC_OnExit and FreeLibrary, the windows still there
    EXPECT_NE(::GetModuleHandleA(kPluginFileName), nullptr);

    ExpectEachProcedureSeesTheProbeOnce(TheHost().mailList, kListSide, false);
    ExpectEachProcedureSeesTheProbeOnce(TheHost().mainWindow, kMainSide, false);
    EXPECT_EQ(DoubleClickReadMail(TheHost().mailList), kMailListDoubleClickResult);
    EXPECT_EQ(TheHost().hostDoubleClicks.size(), 1u);
}

// The host rebuilds its view again and again while another plug-in sits above
// Kestrano on the old list, so Kestrano cannot give it its procedure back;
// the other plug-in leaves it afterwards. Every new list still opens mails.
TEST_F(CompanyTest, ManyReplacedMailListsUnderANeighbourAllStayHooked) {
    ASSERT_NO_FATAL_FAILURE(OpenWith(Neighbour::kLoadedAfter));
    StartPluginInHost();
    std::vector<HWND> lists{TheHost().mailList};
    for (int i = 0; i < 40; ++i) {
        const HWND list = ReplaceMailList();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(PutHostSide(list, kNewListSide));
        StartPlugins();  // Kestrano, then the neighbour above it on the new list
        UnhookNeighbour(lists.back());
        lists.push_back(list);
    }
    ExpectTheDoubleClickOpensOnce(lists.back());
    ExpectEachProcedureSeesTheProbeOnce(lists.back(), kNewListSide, true);
    // The old lists live on, hooked, each passing its messages to its own procedure.
    ExpectTheDoubleClickOpensOnce(lists[1]);
    ExpectEachProcedureSeesTheProbeOnce(lists[1], kNewListSide, false);
    EXPECT_EQ(TheHost().hostDoubleClicks.size(), 2u);
}

// The neighbour subclassed the mail list before Kestrano and leaves by putting
// back what it replaced there, which cuts Kestrano out. Kestrano's property
// is still on the list, so the host's next start-ups leave it alone: double-
// click opening stops there, and nothing loops. A new list gets the hook.
TEST_F(CompanyTest, HookCutOutByANeighbourStaysOutUntilANewWindow) {
    ASSERT_NO_FATAL_FAILURE(OpenWith(Neighbour::kLoadedBefore));
    StartPluginInHost();
    const HWND list = TheHost().mailList;
    UnhookNeighbour(list);
    const size_t filesBefore = CountFiles(temp_);
    EXPECT_EQ(DoubleClickReadMail(list), kMailListDoubleClickResult);
    ASSERT_EQ(CountFiles(temp_), filesBefore) << "Kestrano was not cut out";

    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(testing::Message() << "start-up " << start + 2);
        EXPECT_EQ(ThePlugin().OnStart(), 0);
        ForgetArrivals();
        const size_t files = CountFiles(temp_);
        EXPECT_EQ(DoubleClickReadMail(list), kMailListDoubleClickResult);
        EXPECT_LE(CountFiles(temp_) - files, 1u);
        EXPECT_EQ(ArrivalsOf(list, WM_LBUTTONDBLCLK).size(), 1u);
        ExpectEachProcedureSeesTheProbeOnce(list, kListSide, false);
        ExpectEachProcedureSeesTheProbeOnce(TheHost().mainWindow, kMainSide, true);
    }

    const HWND newList = ReplaceMailList();
    ASSERT_TRUE(PutHostSide(newList, kNewListSide));
    EXPECT_EQ(ThePlugin().OnStart(), 0);
    ExpectTheDoubleClickOpensOnce(newList);
    ExpectEachProcedureSeesTheProbeOnce(newList, kNewListSide, false);
}

// The host reports a new mail list, then the first one again: the first, let
// go with its own procedure back, carries nothing of Kestrano's and is hooked
// again like any window.
TEST_F(CompanyTest, WindowLetGoAndReportedAgainIsHookedAgain) {
    ASSERT_NO_FATAL_FAILURE(OpenWith(Neighbour::kNone));
    const HWND first = TheHost().mailList;
    const WNDPROC firstOwn = ProcedureOf(first);
    StartPluginInHost();
    const HWND second = ReplaceMailList();
    ASSERT_TRUE(PutHostSide(second, kNewListSide));
    ASSERT_EQ(ThePlugin().OnStart(), 0);
    ASSERT_EQ(ProcedureOf(first), firstOwn) << "the first list did not get its own procedure back";
    EXPECT_EQ(PluginPropertiesOf(first), 0) << "the window let go kept Kestrano's property";

    TheHost().mailList = first;
    EXPECT_EQ(ThePlugin().OnStart(), 0);
    EXPECT_NE(ProcedureOf(first), firstOwn);
    ExpectTheDoubleClickOpensOnce(first);
    ExpectEachProcedureSeesTheProbeOnce(first, kListSide, false);
    EXPECT_EQ(PluginPropertiesOf(second), 0);
    ExpectEachProcedureSeesTheProbeOnce(second, kNewListSide, false);
}

// A user left a renamed copy of the DLL in the plug-in folder: the host loads
// both, and each hooks the same windows. They must not read each other's
// record: two copies make two ordinary links, each passing every message on
// once, through a new mail list and start-ups again.
TEST_F(CompanyTest, TwoCopiesOfThePluginEachHookEveryWindowOnce) {
    ASSERT_NO_FATAL_FAILURE(OpenWith(Neighbour::kNone, true));
    StartPluginInHost();
    const HWND firstList = TheHost().mailList;
    EXPECT_EQ(PluginPropertiesOf(firstList), 2);
    ExpectTheDoubleClickOpensOnce(firstList, 2);

    const HWND newList = ReplaceMailList();
    ASSERT_TRUE(PutHostSide(newList, kNewListSide));
    StartPlugins();
    StartPlugins();

    ExpectTheDoubleClickOpensOnce(newList, 2);
    ExpectTheDoubleClickOpensOnce(firstList, 1);
    ExpectEachProcedureSeesTheProbeOnce(newList, kNewListSide, false);
    ExpectEachProcedureSeesTheProbeOnce(firstList, kListSide, false);
    ExpectEachProcedureSeesTheProbeOnce(TheHost().mainWindow, kMainSide, false);

    ForgetArrivals();
    DestroyHostWindows();
    EXPECT_EQ(ArrivalsOf(firstList, WM_NCDESTROY).size(), 1u);
    EXPECT_EQ(ArrivalsOf(newList, WM_NCDESTROY).size(), 1u);
}

// What the plug-in's RemovePropA calls found: whether the host-side procedure
// under it had had the window's last message by then.
struct PropertyRemoval {
    HWND window;
    bool afterLastMessage;
};
std::vector<PropertyRemoval> propertyRemovals;

HANDLE WINAPI RecordPropertyRemoval(HWND window, LPCSTR name) {
    propertyRemovals.push_back({window, !ArrivalsOf(window, WM_NCDESTROY).empty()});
    return ::RemovePropA(window, name);
}

// WM_DESTROY and WM_NCDESTROY, a window's last messages, reach the procedures
// under the plug-ins: the host frees what it keeps for the window there, and
// may send the window messages on the way, which still go down the whole
// chain. Only then does the plug-in take back what it kept on the window.
TEST_F(CompanyTest, HostsOwnProceduresGetTheWindowsLastMessages) {
    for (const Neighbour neighbour : {Neighbour::kNone, Neighbour::kLoadedBefore, Neighbour::kLoadedAfter}) {
        SCOPED_TRACE(testing::Message() << "neighbour " << static_cast<int>(neighbour));
        ASSERT_NO_FATAL_FAILURE(OpenWith(neighbour));
        StartPluginInHost();
        const HWND main = TheHost().mainWindow;
        const HWND list = TheHost().mailList;
        ForgetArrivals();
        propertyRemovals.clear();
        SendProbeAtLastMessage(true);
        {
            const PluginImportReplaced removeProp("USER32.dll", "RemovePropA", &RecordPropertyRemoval);
            ASSERT_TRUE(removeProp.active());
            DestroyHostWindows();
        }
        SendProbeAtLastMessage(false);
        for (const HWND window : {main, list}) {
            EXPECT_EQ(ArrivalsOf(window, WM_DESTROY).size(), 1u);
            const std::vector<Arrival> last = ArrivalsOf(window, WM_NCDESTROY);
            ASSERT_EQ(last.size(), 1u);
            EXPECT_EQ(last[0].properties, 1) << "the plug-in let go of the window before its last message";
            EXPECT_EQ(ArrivalsOf(window, kProbeMessage).size(), 1u) << "a message sent at the last one was lost";
            const auto removed = std::count_if(propertyRemovals.begin(), propertyRemovals.end(),
                                               [window](const PropertyRemoval& removal) {
                                                   return removal.window == window && removal.afterLastMessage;
                                               });
            EXPECT_EQ(removed, 1) << "the property did not go after the last message";
        }
        CloseSession();
    }
}

}  // namespace
