#include "devhost/session.h"

#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/plugin.h"

namespace devhost {

bool OpenSession(const SessionOptions& options) {
    if (options.createSettingsKey && !CreateSettingsKey()) return false;
    if (!CreateHostWindows(options.windows)) return false;
    if (options.neighbour == Neighbour::kLoadedBefore && !LoadNeighbour()) return false;
    if (!LoadPlugin()) return false;
    if (options.pluginCopy && !LoadPluginCopy()) return false;
    if (options.neighbour == Neighbour::kLoadedAfter && !LoadNeighbour()) return false;
    if (options.startPlugin) StartPluginInHost();
    return true;
}

void CloseSession() {
    DestroyHostWindows();
    UnloadPlugin();
    UnloadPluginCopy();
    UnloadNeighbour();
    ResetHostState();
}

std::wstring InHostFolder(const std::wstring& name) {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring MakeScratchFolder(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    for (unsigned attempt = ::GetTickCount();; ++attempt) {
        std::wstring folder = std::wstring(temp) + prefix + L" " + std::to_wstring(attempt) + L"\\";
        if (::CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

void RemoveScratchFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                const std::wstring file = folder + found.cFileName;
                ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(file.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace devhost
