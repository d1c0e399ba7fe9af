#pragma once
// Loading the plug-in as the mail client does: LoadLibrary on the DLL beside
// the host, then the BKC_* callbacks by name.

#include <windows.h>

#include <string>

namespace devhost {

struct Plugin {
    HMODULE module = nullptr;
    int(WINAPI* OnStart)() = nullptr;
    int(WINAPI* OnExit)() = nullptr;
    int(WINAPI* OnMenuInit)(HWND window, HMENU menu, int type) = nullptr;
    int(WINAPI* OnPlugInInfo)(LPSTR record) = nullptr;
};

inline constexpr char kPluginFileName[] = "Kestrano.dll";
// A renamed copy of the plug-in, as a user may leave one in the plug-in folder
// beside it (made by the build).
inline constexpr char kPluginCopyFileName[] = "Kestrano-copy.dll";
// A second plug-in that subclasses the same windows (companions/neighbour_plugin/).
inline constexpr char kNeighbourFileName[] = "neighbour_plugin.dll";
// Menu types the host passes to BKC_OnMenuInit.
inline constexpr int kMainMenuType = 0;
inline constexpr int kMailListMenuType = 1;

// Loads the plug-in from the host's folder. False when the DLL refuses the host
// (or is missing); GetLastError tells why.
bool LoadPlugin(const char* fileName = kPluginFileName);
// BKC_OnExit, then FreeLibrary, as the host does when it lets a plug-in go.
void UnloadPlugin();
const Plugin& ThePlugin();

// The renamed copy, loaded as a plug-in of its own.
bool LoadPluginCopy();
void UnloadPluginCopy();

// The neighbour plug-in, loaded beside Kestrano; the host starts the plug-ins
// in the order they were loaded.
bool LoadNeighbour();
void UnloadNeighbour();
// How many times message has reached the neighbour's procedure on window.
int NeighbourMessagesSeen(HWND window, UINT message);
// The neighbour leaves window: it puts back the procedure it replaced there,
// on top of the chain or not.
void UnhookNeighbour(HWND window);
// From now until it is unloaded, the neighbour answers every registered
// message (0xC000 and up) itself instead of passing it on, as some plug-ins
// do with messages they take for their own.
void NeighbourKeepsRegisteredMessages();

// BKC_OnStart of every loaded plug-in, in load order.
void StartPlugins();

// What BKC_OnPlugInInfo reported.
struct PluginDescription {
    std::string name, vendor, version, description;  // code page 932 bytes
};
PluginDescription DescribePlugin();

}  // namespace devhost
