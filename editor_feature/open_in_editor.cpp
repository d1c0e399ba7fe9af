#include "editor_feature/open_in_editor.h"

#include <shellapi.h>

#include <system_error>

#include "host/contained.h"
#include "host/host_api.h"
#include "host/unique.h"
#include "settings/settings_key.h"

namespace kestrano {

namespace {

constexpr int kSubjectBufferSize = 260;
constexpr wchar_t kForbiddenInFileNames[] = L"\\/:*?\"<>|";

void FreeHostMemory(LPSTR memory) noexcept { hostApi.Free(memory); }
using UniqueHostText = Unique<LPSTR, &FreeHostMemory>;

std::string CurrentSubject() {
    char subject[kSubjectBufferSize] = {};
    hostApi.GetSpecifiedHeader("Subject", subject, sizeof subject);
    // The host may fill the whole buffer; never read past it.
    subject[sizeof subject - 1] = '\0';
    if (!subject[0]) ::lstrcpynA(subject, kNoSubject, sizeof subject);
    return subject;
}

// ANSI text from the host, in the system code page, as UTF-16.
std::wstring Widen(LPCSTR text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length == 0) throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length) == 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
    }
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

bool IsDiskFile(HANDLE file) noexcept { return ::GetFileType(file) == FILE_TYPE_DISK; }

// Writes the host's text byte for byte: no byte-order mark, no line end, no
// terminator. False when the host has no text, leaving the file empty.
bool WriteCurrentMailText(const std::wstring& path) {
    const UniqueFile file{::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_TEMPORARY, nullptr)};
    // A reserved device name (NUL, COM1, ...) opens the device, not a file.
    if (!file || !IsDiskFile(file.get())) return false;
    const UniqueHostText text{hostApi.GetText(nullptr, 0)};
    if (!text) return false;
    DWORD written = 0;
    ::WriteFile(file.get(), text.get(), static_cast<DWORD>(::lstrlenA(text.get())), &written, nullptr);
    return true;
}

void LaunchEditor(HWND window, const std::wstring& path) {
    const auto program = settingsKey.ReadValueBytes(kExternalEditorValue);
    // Without a configured editor there is nothing to ask the shell to start.
    if (!program || !program[0]) return;
    const std::wstring parameters = L"\"" + path + L"\"";
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    launch.hwnd = window;
    launch.lpVerb = L"open";
    launch.lpFile = program.get();
    launch.lpParameters = parameters.c_str();
    launch.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&launch);
}

void OpenCurrentMail(HWND window) {
    std::wstring name = Widen(CurrentSubject().c_str());
    SanitizeFileName(name);
    const auto path = MakeUniqueFileName(Widen(hostApi.GetTempFolder()) + name);
    if (!path || !WriteCurrentMailText(*path)) return;
    LaunchEditor(window, *path);
}

}  // namespace

void SanitizeFileName(std::wstring& name) noexcept {
    for (wchar_t& c : name) {
        if ((c >= 0x01 && c <= 0x1F) || std::wstring_view{kForbiddenInFileNames}.find(c) != std::wstring_view::npos) {
            c = L'_';
        }
    }
}

std::optional<std::wstring> MakeUniqueFileName(const std::wstring& base) {
    std::wstring suffix;
    for (int counter = 1; counter <= kMaxNameCounter; ++counter) {
        std::wstring candidate = base + suffix;
        const UniqueFile existing{::CreateFileW(candidate.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (!existing) return candidate;
        // A device opens under every suffix; searching on would only freeze the host.
        if (!IsDiskFile(existing.get())) return std::nullopt;
        suffix = L"(" + std::to_wstring(counter) + L")";
    }
    return base + suffix;
}

void WINAPI OpenInExternalEditor(HWND window, LPARAM) {
    Contained([&] { OpenCurrentMail(window); });
}

void AddOpenEntryToContextMenu(HMENU menu) noexcept {
    const int command = hostApi.RegisterCommand(kOpenCommandComment, kMailListContextMenu, &OpenInExternalEditor);
    if (command == 0) return;
    if (!::InsertMenuA(menu, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr)) return;
    ::InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(command), kOpenMenuText);
}

}  // namespace kestrano
