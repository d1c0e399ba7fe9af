#pragma once
// The recording editor: a stand-in for the user's external editor that notes
// how it was started and what the file it was given held. It writes one record
// per launch into the folder named by KESTRANO_EDITOR_RECORD.

#include <windows.h>

#include <string>
#include <vector>

namespace companions {

inline constexpr wchar_t kEditorRecordVariable[] = L"KESTRANO_EDITOR_RECORD";
inline constexpr wchar_t kRecordingEditorName[] = L"recording_editor.exe";

struct EditorLaunch {
    std::wstring commandLine;             // exactly as the editor received it
    std::vector<std::wstring> arguments;  // parsed the usual way, program name first
    bool fileRead = false;                // the first argument named a readable file
    int showCommand = -1;                 // how it was asked to show its window (SW_*); -1: not said
    std::string content;                  // that file's bytes
};

// Full path of the recording editor beside the running host.
std::wstring RecordingEditorPath();

// Writes a launch record; the editor's side.
bool WriteEditorLaunch(const std::wstring& folder, const EditorLaunch& launch);

// Every launch recorded in folder so far, oldest first.
std::vector<EditorLaunch> ReadEditorLaunches(const std::wstring& folder);

// Waits until folder holds at least count records or timeoutMs passes, then
// returns what is there. Launches are asynchronous: the plug-in never waits.
std::vector<EditorLaunch> WaitForEditorLaunches(const std::wstring& folder, size_t count, DWORD timeoutMs);

// Counting the programs this process starts, at the moment they start: the
// process joins a job, which every child joins with it. A launch through the
// shell returns once the process exists, so a count taken right after a
// command is final, with no waiting, while the editor's record comes later.
//
// Puts the process in the job, once; false when the system refuses.
bool WatchLaunches();
// Processes started since WatchLaunches, finished or not.
size_t LaunchesStarted();
// Waits until every started process has ended; false on timeout.
bool WaitForLaunchesToEnd(DWORD timeoutMs);
// Ends every started process still running: an editor started on a device
// would wait on it for ever.
void EndLaunches();

}  // namespace companions
