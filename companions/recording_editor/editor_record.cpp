#include "companions/recording_editor/editor_record.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <sstream>

#include "devhost/session.h"
#include "devhost/text.h"

namespace companions {

namespace {

using devhost::Decode;
using devhost::InHostFolder;
using devhost::ToUtf8;

constexpr wchar_t kRecordExtension[] = L".record";

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Record layout: the command line in UTF-8, then a line holding 1 or 0 (file
// read or not), a line holding the show command, then the file's bytes up to
// the end.
std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    return folder.ends_with(L'\\') ? folder + name : folder + L"\\" + name;
}

struct LaunchJob {
    HANDLE job = nullptr;
    // What the job held when this process joined it: Windows counts the
    // process itself, Wine does not.
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION baseline{};
};

JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Accounting(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    ::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
    return info;
}

// A process can join a job only once on older systems: one job for its life.
const LaunchJob& TheLaunchJob() {
    static const LaunchJob watch = [] {
        LaunchJob made;
        const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
        if (!job) return made;
        if (!::AssignProcessToJobObject(job, ::GetCurrentProcess())) {
            ::CloseHandle(job);
            return made;
        }
        made.job = job;
        made.baseline = Accounting(job);
        return made;
    }();
    return watch;
}

std::string Serialize(const EditorLaunch& launch) {
    return ToUtf8(launch.commandLine) + "\n" + (launch.fileRead ? "1" : "0") + "\n" +
           std::to_string(launch.showCommand) + "\n" + launch.content;
}

EditorLaunch Parse(const std::string& record) {
    EditorLaunch launch;
    const size_t first = record.find('\n');
    const size_t second = first == std::string::npos ? first : record.find('\n', first + 1);
    const size_t third = second == std::string::npos ? second : record.find('\n', second + 1);
    if (third == std::string::npos) return launch;
    launch.commandLine = Decode(record.substr(0, first), CP_UTF8);
    launch.fileRead = record.compare(first + 1, second - first - 1, "1") == 0;
    launch.showCommand = std::stoi(record.substr(second + 1, third - second - 1));
    launch.content = record.substr(third + 1);
    int count = 0;
    if (LPWSTR* arguments = ::CommandLineToArgvW(launch.commandLine.c_str(), &count)) {
        launch.arguments.assign(arguments, arguments + count);
        ::LocalFree(arguments);
    }
    return launch;
}

}  // namespace

std::wstring RecordingEditorPath() { return InHostFolder(kRecordingEditorName); }

bool WriteEditorLaunch(const std::wstring& folder, const EditorLaunch& launch) {
    // Written under a temporary name and renamed, so a reader never sees half a record.
    const std::wstring name =
        InFolder(folder, std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(::GetCurrentProcessId()));
    const std::wstring partial = name + L".partial";
    {
        std::ofstream out(partial.c_str(), std::ios::binary);
        out << Serialize(launch);
        if (!out) return false;
    }
    return ::MoveFileW(partial.c_str(), (name + kRecordExtension).c_str()) != FALSE;
}

std::vector<EditorLaunch> ReadEditorLaunches(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(InFolder(folder, std::wstring(L"*") + kRecordExtension).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    // Names start with the tick count: oldest first. Ties between launches in
    // the same tick are rare and do not matter to anything that reads them.
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return std::stoull(a) < std::stoull(b) || (std::stoull(a) == std::stoull(b) && a < b);
    });
    std::vector<EditorLaunch> launches;
    launches.reserve(names.size());
    for (const std::wstring& name : names) launches.push_back(Parse(ReadWholeFile(InFolder(folder, name))));
    return launches;
}

std::vector<EditorLaunch> WaitForEditorLaunches(const std::wstring& folder, size_t count, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        auto launches = ReadEditorLaunches(folder);
        if (launches.size() >= count || ::GetTickCount64() >= deadline) return launches;
        ::Sleep(50);
    }
}

bool WatchLaunches() { return TheLaunchJob().job != nullptr; }

size_t LaunchesStarted() {
    const LaunchJob& watch = TheLaunchJob();
    if (!watch.job) return 0;
    return Accounting(watch.job).TotalProcesses - watch.baseline.TotalProcesses;
}

bool WaitForLaunchesToEnd(DWORD timeoutMs) {
    const LaunchJob& watch = TheLaunchJob();
    if (!watch.job) return false;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (Accounting(watch.job).ActiveProcesses > watch.baseline.ActiveProcesses) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(20);
    }
    return true;
}

void EndLaunches() {
    const LaunchJob& watch = TheLaunchJob();
    if (!watch.job) return;
    // JOBOBJECT_BASIC_PROCESS_ID_LIST with room for far more processes than
    // any test starts; its own one-element array may not be indexed past 0.
    struct {
        DWORD assigned;  // cppcheck-suppress unusedStructMember ; Windows fills it, as in the structure
        DWORD listed;
        ULONG_PTR ids[256];
    } list{};
    static_assert(offsetof(decltype(list), ids) == offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList));
    if (!::QueryInformationJobObject(watch.job, JobObjectBasicProcessIdList, &list, sizeof list, nullptr)) return;
    for (DWORD i = 0; i < list.listed && i < std::size(list.ids); ++i) {
        const auto id = static_cast<DWORD>(list.ids[i]);
        if (id == ::GetCurrentProcessId()) continue;
        if (const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            ::TerminateProcess(process, 1);
            ::CloseHandle(process);
        }
    }
}

}  // namespace companions
