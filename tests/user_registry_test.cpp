// The redirect that keeps our programs off the mail client's settings: it
// covers the plug-in's ANSI registry calls as well as our own, leaves nothing
// behind, and clears up after runs that crashed without touching those of
// programs still running. These tests step outside the program's own scratch
// key for a moment, and touch only keys named like scratch keys.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "devhost/host_registry.h"
#include "devhost/user_registry.h"

namespace {

using namespace devhost;

bool KeyExists(const std::wstring& path) {
    return static_cast<bool>(OpenKey(HKEY_CURRENT_USER, path.c_str(), KEY_READ));
}

std::wstring ScratchKeyOf(DWORD process) {
    return std::wstring(L"Software\\") + kScratchKeyPrefix + L"gone.exe, process " + std::to_wstring(process) + L")";
}

// A process of our own, suspended: alive until ended.
PROCESS_INFORMATION StartSuspendedChild() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    STARTUPINFOW startup{.cb = sizeof(STARTUPINFOW)};
    PROCESS_INFORMATION child{};
    ::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                     &child);
    return child;
}

void EndChild(const PROCESS_INFORMATION& child) {
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, 10000);
}

// Each test steps out of the program's scratch key and back in.
class UserRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { EndUserRegistryRedirect(); }
    void TearDown() override {
        EndUserRegistryRedirect();
        ASSERT_TRUE(RedirectUserRegistryToScratch());
    }
};

TEST_F(UserRegistryTest, EveryRegistryCallOfTheProcessLandsInTheScratchKeyWhichGoesAtTheEnd) {
    ASSERT_TRUE(RedirectUserRegistryToScratch());
    const std::wstring scratch = UserRegistryRedirectPath();
    EXPECT_NE(scratch.find(L"user_registry_test.exe, process " + std::to_wstring(::GetCurrentProcessId())),
              std::wstring::npos);

    ASSERT_TRUE(CreateSettingsKey());
    ASSERT_TRUE(WriteSettingDword(L"KestranoRedirectProbe", 7));
    // As the plug-in opens the key: the ANSI call on HKEY_CURRENT_USER.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\RimArts\\B2\\Settings", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(
        ::RegQueryValueExW(key, L"KestranoRedirectProbe", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    ::RegCloseKey(key);

    EndUserRegistryRedirect();
    EXPECT_TRUE(UserRegistryRedirectPath().empty());
    EXPECT_FALSE(KeyExists(scratch));
    EXPECT_FALSE(ReadSettingDword(L"KestranoRedirectProbe").has_value());  // the real key never saw it
}

TEST_F(UserRegistryTest, ScratchKeysOfEndedProcessesAreRemovedAndThoseOfRunningOnesKept) {
    const PROCESS_INFORMATION ended = StartSuspendedChild();
    const PROCESS_INFORMATION running = StartSuspendedChild();
    ASSERT_TRUE(ended.hProcess && running.hProcess);
    EndChild(ended);
    const std::wstring endedKey = ScratchKeyOf(ended.dwProcessId);
    const std::wstring runningKey = ScratchKeyOf(running.dwProcessId);
    for (const auto& path : {endedKey, runningKey}) {
        ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, (path + L"\\Software").c_str()));
    }

    ASSERT_TRUE(RedirectUserRegistryToScratch());
    EndUserRegistryRedirect();
    EXPECT_FALSE(KeyExists(endedKey));
    EXPECT_TRUE(KeyExists(runningKey));

    EndChild(running);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, runningKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, runningKey.c_str());
    for (const auto& child : {ended, running}) {
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
    }
}

TEST_F(UserRegistryTest, TheInteractiveHostKeepsItsSettingsUnderItsOwnKey) {
    // A person's settings there are theirs: only a key this test made goes again.
    const bool personal = KeyExists(kDevelopmentHostKeyPath);
    ASSERT_TRUE(RedirectUserRegistryTo(kDevelopmentHostKeyPath));
    EXPECT_EQ(UserRegistryRedirectPath(), kDevelopmentHostKeyPath);
    // A second redirect while one lasts would lose track of the first.
    EXPECT_FALSE(RedirectUserRegistryToScratch());
    EndUserRegistryRedirect();
    EXPECT_TRUE(KeyExists(kDevelopmentHostKeyPath));
    if (!personal) ::RegDeleteKeyW(HKEY_CURRENT_USER, kDevelopmentHostKeyPath);
}

}  // namespace
