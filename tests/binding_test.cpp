// Loading into the host, describing itself, answering every export with the
// host's calling convention, and start-up's window hooks (among other
// plug-ins: company_test).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "host/host_api.h"
#include "tests/test_support.h"

#ifdef KESTRANO_STACK_PROBE
extern "C" int CallAndMeasureStack(FARPROC function, const unsigned* arguments, int count);
#endif

namespace {

using namespace devhost;
using namespace test_support;

class BindingTest : public ::testing::Test {
protected:
    void TearDown() override { CloseSession(); }
};

TEST_F(BindingTest, LoadsIntoTheHostAndDescribesItself) {
    ASSERT_TRUE(LoadPlugin());
    const PluginDescription info = DescribePlugin();
    EXPECT_EQ(info.name, "Kestrano");
    EXPECT_EQ(info.vendor, "Brenvolt");
    EXPECT_EQ(info.version, KESTRANO_ANNOUNCED_VERSION);
    EXPECT_EQ(info.description.size(), 68u);
    EXPECT_EQ(Decode(info.description, kJapaneseCodePage),
              L"ダブルクリックでメールをエディタから開けるようにするプラグインです。");
}

TEST_F(BindingTest, InfoRecordKeepsEveryByteOutsideItsFourStrings) {
    ASSERT_TRUE(LoadPlugin());
    std::array<unsigned char, 512> record;
    record.fill(0xCC);
    ThePlugin().OnPlugInInfo(reinterpret_cast<LPSTR>(record.data()));

    struct Written {
        size_t offset;
        size_t length;  // with the terminating NUL
    };
    const Written strings[] = {{0, 9}, {80, 9}, {160, sizeof KESTRANO_ANNOUNCED_VERSION}, {240, 69}};
    for (size_t i = 0; i < record.size(); ++i) {
        bool inside = false;
        for (const Written& s : strings) inside = inside || (i >= s.offset && i < s.offset + s.length);
        if (!inside) {
            EXPECT_EQ(record[i], 0xCC) << "byte " << i << " was touched";
        }
    }
    for (const Written& s : strings) EXPECT_EQ(record[s.offset + s.length - 1], 0) << "at " << s.offset;
}

struct Export {
    const char* name;
    int arguments;
};

constexpr Export kExports[] = {
    {"BKC_OnStart", 0},       {"BKC_OnExit", 0},        {"BKC_OnMenuInit", 3},    {"BKC_OnOpenFolder", 1},
    {"BKC_OnOpenMail", 1},    {"BKC_OnEveryMinute", 0}, {"BKC_OnOpenCompose", 2}, {"BKC_OnOutgoing", 2},
    {"BKC_OnKeyDispatch", 3}, {"BKC_OnRetrieve", 2},    {"BKC_OnSend", 1},        {"BKC_OnFinishRetrieve", 1},
    {"BKC_OnPlugInSetup", 1}, {"BKC_OnPlugInInfo", 1},  {"BKC_OnDragDrop", 4},    {"BKC_OnBeforeFilter2", 4},
};

// Calls an export in the host's convention with these arguments, 32-bit
// values in the 32-bit build; the host reads the int it answers.
template <typename... Arguments>
int CallAs(FARPROC function, Arguments... arguments) {
    using AnyFunction = void (*)();
    using Entry = int(WINAPI*)(Arguments...);
    return reinterpret_cast<Entry>(reinterpret_cast<AnyFunction>(function))(arguments...);
}

int CallExport(FARPROC function, const std::vector<uintptr_t>& a) {
    switch (a.size()) {
        case 0:
            return CallAs(function);
        case 1:
            return CallAs(function, a[0]);
        case 2:
            return CallAs(function, a[0], a[1]);
        case 3:
            return CallAs(function, a[0], a[1], a[2]);
        case 4:
            return CallAs(function, a[0], a[1], a[2], a[3]);
        default:
            return -1;
    }
}

TEST_F(BindingTest, EveryExportHasItsOrdinalAndRemovesExactlyItsArguments) {
    ASSERT_TRUE(OpenSession({.startPlugin = false}));
    const HMODULE module = ThePlugin().module;
    for (int i = 0; i < static_cast<int>(std::size(kExports)); ++i) {
        const Export& entry = kExports[i];
        const FARPROC byName = ::GetProcAddress(module, entry.name);
        ASSERT_NE(byName, nullptr) << entry.name;
        EXPECT_EQ(::GetProcAddress(module, MAKEINTRESOURCEA(i + 1)), byName) << entry.name;
#ifdef KESTRANO_STACK_PROBE
        // Harmless arguments: a menu type nobody uses, a record to fill, nulls.
        std::array<char, 512> record{};
        std::vector<unsigned> arguments(static_cast<size_t>(entry.arguments), 0u);
        if (std::strcmp(entry.name, "BKC_OnMenuInit") == 0) arguments[2] = 7;
        if (std::strcmp(entry.name, "BKC_OnPlugInInfo") == 0) arguments[0] = reinterpret_cast<unsigned>(record.data());
        EXPECT_EQ(CallAndMeasureStack(byName, arguments.data(), entry.arguments), 0) << entry.name;
#endif
    }
    // The export table holds these sixteen and nothing else.
    EXPECT_EQ(::GetProcAddress(module, MAKEINTRESOURCEA(17)), nullptr);
}

// The host reads 0 from every callback, whatever the callback did or failed to do.
TEST_F(BindingTest, EveryExportAnswersZero) {
    ASSERT_TRUE(OpenSession({.startPlugin = false}));
    const HMODULE module = ThePlugin().module;
    const auto call = [module](const char* name, std::vector<uintptr_t> arguments) {
        const FARPROC function = ::GetProcAddress(module, name);
        return function ? CallExport(function, arguments) : -1;
    };
    // Harmless arguments: a menu type nobody uses, a record to fill, nulls.
    std::array<char, 512> record{};
    for (const Export& entry : kExports) {
        std::vector<uintptr_t> arguments(static_cast<size_t>(entry.arguments), 0u);
        if (std::strcmp(entry.name, "BKC_OnMenuInit") == 0) arguments[2] = 7;
        if (std::strcmp(entry.name, "BKC_OnPlugInInfo") == 0) arguments[0] = reinterpret_cast<uintptr_t>(record.data());
        EXPECT_EQ(call(entry.name, arguments), 0) << entry.name;
    }

    // And while doing the work: hooking the windows, twice; building both menus,
    // then with the host refusing the registration.
    const Host& host = TheHost();
    const auto handle = [](auto value) { return reinterpret_cast<uintptr_t>(value); };
    EXPECT_EQ(call("BKC_OnStart", {}), 0);
    EXPECT_EQ(call("BKC_OnStart", {}), 0);
    EXPECT_EQ(call("BKC_OnMenuInit", {handle(host.mainWindow), handle(host.menuBar), 0}), 0);
    const HMENU context = ::CreatePopupMenu();
    EXPECT_EQ(call("BKC_OnMenuInit", {handle(host.mailList), handle(context), 1}), 0);
    EXPECT_EQ(::GetMenuItemCount(context), 2) << "the menu work was not done";
    TheHost().failRegisterCommandAt = TheHost().registerCommandCalls + 1;
    EXPECT_EQ(call("BKC_OnMenuInit", {handle(host.mailList), handle(context), 1}), 0);
    ::DestroyMenu(context);
    EXPECT_EQ(call("BKC_OnPlugInInfo", {0}), 0);
}

TEST_F(BindingTest, StartWithoutMainWindowHooksOnlyTheMailList) {
    TheHost().reportMainWindow = false;
    ASSERT_TRUE(OpenSession({.startPlugin = false}));
    const WNDPROC mainBefore = ProcedureOf(TheHost().mainWindow);
    const WNDPROC listBefore = ProcedureOf(TheHost().mailList);

    EXPECT_EQ(ThePlugin().OnStart(), 0);

    EXPECT_EQ(ProcedureOf(TheHost().mainWindow), mainBefore);
    EXPECT_NE(ProcedureOf(TheHost().mailList), listBefore);
}

TEST_F(BindingTest, StartingTwiceHooksEachWindowOnce) {
    ASSERT_TRUE(OpenSession());
    WriteSettingDword(kDoubleClickValue, 0);
    const WNDPROC hooked = ProcedureOf(TheHost().mailList);
    EXPECT_EQ(ThePlugin().OnStart(), 0);
    EXPECT_EQ(ProcedureOf(TheHost().mailList), hooked);

    // A window hooked over its own hook would pass messages to itself forever.
    const LRESULT result = ::SendMessageW(TheHost().mailList, WM_LBUTTONDBLCLK, MK_LBUTTON, MailRowPoint(0));
    EXPECT_EQ(result, kMailListDoubleClickResult);
    EXPECT_EQ(TheHost().hostDoubleClicks.size(), 1u);
    EXPECT_EQ(::SendMessageW(TheHost().mainWindow, WM_NCACTIVATE, TRUE, 0), TRUE);
}

TEST_F(BindingTest, MenuInitOfAnotherTypeChangesNoMenu) {
    ASSERT_TRUE(OpenSession({.startPlugin = false}));
    const HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, L"host item");
    EXPECT_EQ(ThePlugin().OnMenuInit(TheHost().mainWindow, menu, 2), 0);
    EXPECT_EQ(::GetMenuItemCount(menu), 1);
    EXPECT_EQ(TheHost().registerCommandCalls, 0);
    ::DestroyMenu(menu);
}

TEST_F(BindingTest, BindingAgainAfterSuccessLooksNothingUp) {
    // This program is a host too; bind the plug-in's own code to it directly.
    ASSERT_TRUE(kestrano::BindHostApi());
    const auto versionCalls = [] {
        return std::count(TheHost().calls.begin(), TheHost().calls.end(), "BKA_GetVersion");
    };
    const auto before = versionCalls();
    EXPECT_TRUE(kestrano::BindHostApi());
    EXPECT_EQ(versionCalls(), before);
    EXPECT_EQ(kestrano::hostApi.module, ::GetModuleHandleW(nullptr));
}

}  // namespace
