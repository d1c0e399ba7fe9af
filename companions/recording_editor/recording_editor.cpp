// The recording editor: started by the plug-in in place of the user's text
// editor, it records its command line and the bytes of the file it was given,
// then exits.

#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <string>

#include "companions/recording_editor/editor_record.h"
#include "devhost/user_registry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // It reads no settings, but what it loads might: keep them off the user's registry.
    const devhost::ScratchUserRegistry registry;
    if (!registry) return 3;
    companions::EditorLaunch launch;
    launch.commandLine = ::GetCommandLineW();
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(launch.commandLine.c_str(), &count);
    if (arguments && count >= 2) {
        std::ifstream file(arguments[1], std::ios::binary);
        if (file) {
            std::ostringstream bytes;
            bytes << file.rdbuf();
            launch.content = bytes.str();
            launch.fileRead = true;
        }
    }
    if (arguments) ::LocalFree(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW) launch.showCommand = startup.wShowWindow;

    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(companions::kEditorRecordVariable, folder, MAX_PATH)) return 2;
    return companions::WriteEditorLaunch(folder, launch) ? 0 : 1;
}
