#include "editor_feature/open_in_editor.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "host/host_api.h"
#include "settings/settings_key.h"
#include "win32/unique.h"

namespace kestrano {

namespace {

constexpr int kSubjectBufferSize = 260;
constexpr std::wstring_view kForbiddenInFileNames = L"\\/:*?\"<>|";
constexpr std::wstring_view kQuote = L"\"";
// "(99999)" and its terminator, with room to spare.
constexpr int kSuffixSize = 16;

void FreeHostMemory(LPSTR memory) noexcept { hostApi.Free(memory); }
using UniqueHostText = Unique<LPSTR, &FreeHostMemory>;

// subject comes zero-filled.
void CurrentSubject(char (&subject)[kSubjectBufferSize]) noexcept {
    hostApi.GetSpecifiedHeader("Subject", subject, sizeof subject);
    // The host may fill the whole buffer; never read past it.
    subject[sizeof subject - 1] = '\0';
    // cppcheck-suppress lstrcpynACalled ; no C runtime in the DLL, and the copy is bounded by the buffer
    if (!subject[0]) ::lstrcpynA(subject, kNoSubject, sizeof subject);
}

bool IsForbiddenInFileNames(wchar_t c) noexcept {
    if (c >= 0x01 && c <= 0x1F) return true;
    return std::ranges::any_of(kForbiddenInFileNames, [c](wchar_t forbidden) { return c == forbidden; });
}

bool IsDiskFile(HANDLE file) noexcept { return ::GetFileType(file) == FILE_TYPE_DISK; }

// An existing name answers CREATE_NEW with one of these; on some systems a
// folder, or a file on its way out, answers that access is denied.
bool NameIsTaken(const WideText& path, DWORD error) noexcept {
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return true;
    return error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A device name (COM1, AUX, ...) may answer CREATE_NEW as if taken; a suffix
// would only dodge the limit that a device subject opens nothing. Asking for
// no access and sharing everything, the look disturbs no holder; folders open
// with backup semantics.
bool IsDevice(const WideText& path) noexcept {
    const UniqueFile existing{::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    return existing && !IsDiskFile(existing.get());
}

bool SetSuffix(WideText& path, size_t baseLength, int counter) noexcept {
    path.Truncate(baseLength);
    wchar_t suffix[kSuffixSize];
    const int length = ::wsprintfW(suffix, L"(%d)", counter);
    return path.Append({suffix, static_cast<size_t>(length)});
}

// Writes the host's text byte for byte: no byte-order mark, no line end, no
// terminator. False when the host has no text, leaving the file empty, and
// when the write fails or stops short (a full disk, a quota): the editor would
// show what was left as if it were the mail. The file stays either way.
bool WriteCurrentMailText(HANDLE file) noexcept {
    const UniqueHostText text{hostApi.GetText(nullptr, 0)};
    if (!text) return false;
    // cppcheck-suppress lstrlenACalled ; the DLL has no C runtime: KERNEL32's is its strlen
    const auto length = static_cast<DWORD>(::lstrlenA(text.get()));
    DWORD written = 0;
    return ::WriteFile(file, text.get(), length, &written, nullptr) && written == length;
}

void LaunchEditor(HWND window, const WideText& path) noexcept {
    const HeapArray<wchar_t> program = settingsKey.ReadValueBytes(kExternalEditorValue);
    // Without a configured editor there is nothing to ask the shell to start.
    if (!program || !program.get()[0]) return;
    WideText parameters;
    if (!parameters.Append(kQuote) || !parameters.Append(path.view()) || !parameters.Append(kQuote)) return;
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    launch.hwnd = window;
    launch.lpVerb = L"open";
    launch.lpFile = program.get();
    launch.lpParameters = parameters.c_str();
    launch.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&launch);
}

// Each step says whether it worked; the owners release whatever was made.
bool OpenCurrentMail(HWND window) noexcept {
    if (!CurrentMailId()) return false;
    char subject[kSubjectBufferSize] = {};
    CurrentSubject(subject);
    WideText name;
    if (!name.AppendAnsi(subject)) return false;
    SanitizeFileName(name.chars());
    WideText base;
    if (!base.AppendAnsi(hostApi.GetTempFolder()) || !base.Append(name.view())) return false;
    WideText path;
    UniqueFile file = MakeUniqueFileName(base.view(), path);
    if (!file) return false;
    if (!WriteCurrentMailText(file.get())) return false;
    file.reset();  // the editor opens it next
    LaunchEditor(window, path);
    return true;
}

}  // namespace

void SanitizeFileName(std::span<wchar_t> name) noexcept {
    for (wchar_t& c : name) {
        if (IsForbiddenInFileNames(c)) c = L'_';
    }
}

UniqueFile MakeUniqueFileName(std::wstring_view base, WideText& path) noexcept {
    path.Truncate(0);
    if (!path.Append(base)) return UniqueFile{};
    for (int counter = 1;; ++counter) {
        // Created new, or not at all: a probe before the create would race,
        // and a name that cannot be opened for reading may still be taken.
        UniqueFile file{::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY, nullptr)};
        // A reserved device name (NUL, ...) opens the device, not a file.
        if (file) return IsDiskFile(file.get()) ? std::move(file) : UniqueFile{};
        if (!NameIsTaken(path, ::GetLastError())) return UniqueFile{};
        // A suffix never makes a device of a name that is not one: one look,
        // at the subject itself, is enough.
        if (counter == 1 && IsDevice(path)) return UniqueFile{};
        if (counter > kMaxNameCounter || !SetSuffix(path, base.size(), counter)) return UniqueFile{};
    }
}

LPCSTR CurrentMailId() noexcept {
    const LPCSTR mail = hostApi.GetCurrentMail();
    return mail && mail[0] ? mail : nullptr;
}

void WINAPI OpenInExternalEditor(HWND window, LPARAM) { OpenCurrentMail(window); }

void AddOpenEntryToContextMenu(HMENU menu) noexcept {
    const int command = hostApi.RegisterCommand(kOpenCommandComment, kMailListContextMenu, &OpenInExternalEditor);
    if (command == 0) return;
    if (!::InsertMenuA(menu, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr)) return;
    ::InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(command), kOpenMenuText);
}

}  // namespace kestrano
