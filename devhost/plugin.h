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
// Menu types the host passes to BKC_OnMenuInit.
inline constexpr int kMainMenuType = 0;
inline constexpr int kMailListMenuType = 1;

// Loads the plug-in from the host's folder. False when the DLL refuses the host
// (or is missing); GetLastError tells why.
bool LoadPlugin(const char* fileName = kPluginFileName);
void UnloadPlugin();
const Plugin& ThePlugin();

// What BKC_OnPlugInInfo reported.
struct PluginDescription {
    std::string name, vendor, version, description;  // code page 932 bytes
};
PluginDescription DescribePlugin();

}  // namespace devhost
