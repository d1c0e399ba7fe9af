// What the open command costs from the user's choice of the menu entry until
// the editor's process exists, in one host process, three ways side by side:
//   by hand   the least the command can do: create, write and close the same
//             bytes under a free name and start the same editor on the quoted
//             path, with nothing in between;
//   plug-in   the command through the DLL, on a subject no file has yet;
//   crowded   the command on a subject whose name and 999 numbered names
//             after it exist already (1,000 collisions).
// Each round runs the three in turn; the editors started are left to finish,
// and the files written are removed, between runs and outside the timing.
//
//   open_benchmark [rounds]
// With fewer than 11 rounds the target is reported, not judged: the exit code
// then says only whether the benchmark still works.

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "companions/recording_editor/editor_record.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "devhost/user_registry.h"
#include "tests/benchmark_clock.h"

namespace {

using namespace companions;
using namespace devhost;

constexpr double kTarget = 1.5;  // the command without collisions against the bare minimum
constexpr int kCollisions = 1000;
constexpr DWORD kEditorTimeoutMs = 10 * 60 * 1000;

using benchmark_clock::Median;
using benchmark_clock::NowMs;
using benchmark_clock::TargetMissed;
using benchmark_clock::TargetVerdict;

// A mail of a usual size: Japanese and English lines, CRLF line ends.
std::string MailText() {
    const std::wstring paragraph =
        L"山田さん\r\n\r\n来週の打ち合わせは火曜日の十時からでお願いします。\r\n"
        L"The quarterly figures are attached; please check the totals before Friday.\r\n\r\n";
    std::wstring text;
    while (text.size() < 4000) text += paragraph;
    return Encode(text, kJapaneseCodePage);
}

bool WriteEmptyFile(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct HandTiming {
    double total;
    double launch;
};

HandTiming OpenByHand(const std::wstring& path, const std::string& text, const std::wstring& editor) {
    const double start = NowMs();
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    const double launchStart = NowMs();
    const std::wstring parameters = L"\"" + path + L"\"";
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    launch.hwnd = TheHost().mainWindow;
    launch.lpVerb = L"open";
    launch.lpFile = editor.c_str();
    launch.lpParameters = parameters.c_str();
    launch.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&launch);
    const double end = NowMs();
    return {end - start, end - launchStart};
}

double OpenThroughPlugin(int mail, int entry) {
    TheHost().currentMail = mail;
    const double start = NowMs();
    ChooseCommand(entry);
    return NowMs() - start;
}

// Lets the editor finish with the file, then removes it, so every run finds
// the folder as the one before it did.
bool Settle(const std::wstring& path) {
    const bool written = Exists(path);
    WaitForLaunchesToEnd(kEditorTimeoutMs);
    ::DeleteFileW(path.c_str());
    return written;
}

int Run(int rounds) {
    if (!WatchLaunches()) {
        std::fprintf(stderr, "cannot watch the editors this process starts\n");
        return 1;
    }
    const std::wstring folder = MakeScratchFolder(L"kestrano open benchmark");
    const std::wstring records = MakeScratchFolder(L"kestrano open records");
    ::SetEnvironmentVariableW(kEditorRecordVariable, records.c_str());
    if (folder.empty() || records.empty() || !OpenSession() || !SetExternalEditor(RecordingEditorPath())) {
        std::fprintf(stderr, "cannot set up the development host\n");
        return 1;
    }
    const std::string text = MailText();
    Host& host = TheHost();
    host.tempFolder = ToAnsi(folder);
    host.mails = {Mail{.id = "<1@example.jp>", .folder = kInboxFolder, .subject = "Weekly report", .text = text},
                  Mail{.id = "<2@example.jp>", .folder = kInboxFolder, .subject = "Crowded", .text = text}};
    const HMENU menu = BuildMailListContextMenu();
    const int entry = static_cast<int>(::GetMenuItemID(menu, 0));
    ::DestroyMenu(menu);

    bool ready = WriteEmptyFile(folder + L"Crowded");
    for (int i = 1; i < kCollisions && ready; ++i)
        ready = WriteEmptyFile(folder + L"Crowded(" + std::to_wstring(i) + L")");
    if (!ready) {
        std::fprintf(stderr, "cannot create the colliding files\n");
        return 1;
    }

    const std::wstring editor = RecordingEditorPath();
    const std::wstring byHand = folder + L"By hand";
    const std::wstring fresh = folder + L"Weekly report";
    const std::wstring crowded = folder + L"Crowded(" + std::to_wstring(kCollisions) + L")";
    std::vector<double> handTotal, handLaunch, plugin, crowdedTimes;
    bool ok = true;
    // Round 0 warms the caches and the loader and is not counted.
    for (int round = 0; round <= rounds && ok; ++round) {
        const HandTiming hand = OpenByHand(byHand, text, editor);
        ok = Settle(byHand) && ok;
        const double freshMs = OpenThroughPlugin(0, entry);
        ok = Settle(fresh) && ok;
        const double crowdedMs = OpenThroughPlugin(1, entry);
        ok = Settle(crowded) && ok;
        if (round == 0) continue;
        handTotal.push_back(hand.total);
        handLaunch.push_back(hand.launch);
        plugin.push_back(freshMs);
        crowdedTimes.push_back(crowdedMs);
    }
    const size_t launches = LaunchesStarted();
    CloseSession();
    RemoveScratchFolder(folder);
    RemoveScratchFolder(records);
    if (!ok) {
        std::fprintf(stderr, "a run wrote no file: the figures would measure nothing\n");
        return 1;
    }

    const double hand = Median(handTotal);
    const double ratio = Median(plugin) / hand;
    std::printf("open command, %d rounds, %zu-byte mail, %zu editors started; medians:\n", rounds, text.size(),
                launches);
    std::printf("  by hand (create, write, close, launch)  %8.3f ms  (launch alone %.3f ms)\n", hand,
                Median(handLaunch));
    const bool met = ratio <= kTarget;
    std::printf("  plug-in, no collisions                  %8.3f ms  %.2fx by hand (target %.1fx: %s)\n",
                Median(plugin), ratio, kTarget, TargetVerdict(rounds, met));
    std::printf("  plug-in, %d collisions               %8.3f ms  %.2fx by hand\n", kCollisions, Median(crowdedTimes),
                Median(crowdedTimes) / hand);
    return TargetMissed(rounds, met) ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const devhost::ScratchUserRegistry registry;
    if (!registry) {
        std::fprintf(stderr, "could not redirect HKEY_CURRENT_USER to a scratch key\n");
        return 1;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    return Run(rounds);
}
