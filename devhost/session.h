#pragma once
// A mail-client session as the host runs one: its settings key, its windows,
// the plug-in loaded beside it, started, and its main menu built. Tests and
// the demo state only what differs from this.

#include <windows.h>

#include <string>

#include "devhost/host_windows.h"

namespace devhost {

// Another plug-in on the same windows, loaded before or after Kestrano.
enum class Neighbour { kNone, kLoadedBefore, kLoadedAfter };

struct SessionOptions {
    WindowOptions windows;
    Neighbour neighbour = Neighbour::kNone;
    bool pluginCopy = false;  // a renamed copy of Kestrano.dll, loaded right after it
    bool createSettingsKey = true;
    bool startPlugin = true;  // BKC_OnStart and the main menu's BKC_OnMenuInit
};

// False when a window could not be made or the plug-in refused to load.
bool OpenSession(const SessionOptions& options = {});
// Closes the windows and unloads the plug-in; the host's state is reset.
void CloseSession();

// The full path of a file in the folder the host runs from, beside the plug-in.
std::wstring InHostFolder(const std::wstring& name);

// A new, empty folder in the system's temporary folder, whose name starts
// with prefix; returned with a trailing backslash, as the host gives its own.
std::wstring MakeScratchFolder(const std::wstring& prefix);
// Deletes folder and the files in it.
void RemoveScratchFolder(const std::wstring& folder);

}  // namespace devhost
