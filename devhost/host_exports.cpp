// The host's plug-in interface: all 58 BKA_* entry points, exported by name
// from the executable (see cmake/testkit/DevHost.cmake). The twelve that the plug-in
// calls behave as the mail client's do; the others exist, record the call and
// answer 0.

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "devhost/host_state.h"
#include "devhost/settings_dialog.h"

using namespace devhost;

namespace {

// Command identifiers the host hands out; clear of its own menu items.
constexpr int kFirstPluginCommandId = 40001;

void Record(const char* name) { TheHost().calls.emplace_back(name); }

const Mail* FindMail(LPCSTR id) {
    if (!id) return nullptr;
    for (const Mail& mail : TheHost().mails) {
        if (mail.id == id) return &mail;
    }
    return nullptr;
}

void CopyHeader(const std::string& value, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return;
    const auto capacity = static_cast<size_t>(size);
    if (TheHost().fillWholeHeaderBuffer) {
        // A careless host: every byte used, no terminator anywhere.
        for (size_t i = 0; i < capacity; ++i) buffer[i] = value.empty() ? 'X' : value[i % value.size()];
        return;
    }
    const size_t length = std::min(value.size(), capacity - 1);
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
}

}  // namespace

extern "C" {

LPCSTR WINAPI BKA_GetVersion() {
    Record("BKA_GetVersion");
    return TheHost().version.c_str();
}

void WINAPI BKA_Command(HWND window, LPCSTR command) {
    Record("BKA_Command");
    Host& host = TheHost();
    host.hostCommands.emplace_back(command ? command : "");
    if (command && std::strcmp(command, "GeneralSetup") == 0 && host.openSettingsDialog) {
        OpenSettingsDialog(window ? window : host.mainWindow);
    }
}

BOOL WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) {
    Record("BKA_GetWindowHandles");
    const Host& host = TheHost();
    if (main) *main = host.reportMainWindow ? host.mainWindow : nullptr;
    if (tree) *tree = nullptr;
    if (list) *list = host.reportMailList ? host.mailList : nullptr;
    if (view) *view = nullptr;
    return TRUE;
}

int WINAPI BKA_RegisterCommand(LPCSTR comment, int target, CommandCallback callback) {
    Record("BKA_RegisterCommand");
    Host& host = TheHost();
    if (++host.registerCommandCalls == host.failRegisterCommandAt) return 0;
    const int id = kFirstPluginCommandId + static_cast<int>(host.commands.size());
    host.commands.push_back(RegisteredCommand{id, comment ? comment : "", target, callback, nullptr});
    return id;
}

int WINAPI BKA_RegisterUICallback(UINT command, UIStateCallback callback) {
    Record("BKA_RegisterUICallback");
    Host& host = TheHost();
    if (++host.registerUICallbackCalls == host.failRegisterUICallbackAt) return -1;
    for (RegisteredCommand& registered : host.commands) {
        if (registered.id == static_cast<int>(command)) {
            registered.state = callback;
            return 0;
        }
    }
    return -1;
}

LPCSTR WINAPI BKA_GetTempFolder() {
    Record("BKA_GetTempFolder");
    return TheHost().tempFolder.c_str();
}

LPCSTR WINAPI BKA_GetCurrentFolder() {
    Record("BKA_GetCurrentFolder");
    return CurrentFolder();
}

LPCSTR WINAPI BKA_GetCurrentMail() {
    Record("BKA_GetCurrentMail");
    const Mail* mail = CurrentMail();
    if (mail) return mail->id.c_str();
    return TheHost().emptyIdWithoutMail ? "" : nullptr;
}

DWORD WINAPI BKA_GetStatus(LPCSTR mailId) {
    Record("BKA_GetStatus");
    const Mail* mail = FindMail(mailId);
    return mail && mail->read ? 0x1 : 0x0;
}

LPSTR WINAPI BKA_GetSpecifiedHeader(LPCSTR header, LPSTR buffer, int size) {
    Record("BKA_GetSpecifiedHeader");
    const Mail* mail = CurrentMail();
    const bool subject = header && ::lstrcmpiA(header, "Subject") == 0;
    CopyHeader(mail && subject ? mail->subject : std::string{}, buffer, size);
    return buffer;
}

LPSTR WINAPI BKA_GetText(LPSTR buffer, int size) {
    Record("BKA_GetText");
    const Mail* mail = CurrentMail();
    if (!mail || !mail->text) return nullptr;
    const std::string& text = *mail->text;
    if (buffer) {
        CopyHeader(text, buffer, size);
        return buffer;
    }
    auto* copy = static_cast<LPSTR>(::HeapAlloc(::GetProcessHeap(), 0, text.size() + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text.c_str(), text.size() + 1);
    ++TheHost().textsHandedOut;
    return copy;
}

void WINAPI BKA_Free(LPVOID memory) {
    Record("BKA_Free");
    if (!memory) return;
    ::HeapFree(::GetProcessHeap(), 0, memory);
    --TheHost().textsHandedOut;
    ++TheHost().textsFreed;
}

// The rest of the interface: present, harmless, never called by the plug-in.
#define DEVHOST_IDLE_ENTRY(name) \
    int WINAPI name() {          \
        Record(#name);           \
        return 0;                \
    }

DEVHOST_IDLE_ENTRY(BKA_GetDataFolder)
DEVHOST_IDLE_ENTRY(BKA_GetTempFileName)
DEVHOST_IDLE_ENTRY(BKA_GetCurrentMailBox)
DEVHOST_IDLE_ENTRY(BKA_SetCurrentMailBox)
DEVHOST_IDLE_ENTRY(BKA_SetCurrentFolder)
DEVHOST_IDLE_ENTRY(BKA_GetFolderDisplayName)
DEVHOST_IDLE_ENTRY(BKA_SetMessageText)
DEVHOST_IDLE_ENTRY(BKA_SetCurrentMail)
DEVHOST_IDLE_ENTRY(BKA_GetNextMail)
DEVHOST_IDLE_ENTRY(BKA_SetSel)
DEVHOST_IDLE_ENTRY(BKA_AppendMessage)
DEVHOST_IDLE_ENTRY(BKA_MoveSelectedMessages)
DEVHOST_IDLE_ENTRY(BKA_SetStatus)
DEVHOST_IDLE_ENTRY(BKA_ComposeMail)
DEVHOST_IDLE_ENTRY(BKA_GetCharSet)
DEVHOST_IDLE_ENTRY(BKA_GetSource)
DEVHOST_IDLE_ENTRY(BKA_SetSource)
DEVHOST_IDLE_ENTRY(BKA_GetSize)
DEVHOST_IDLE_ENTRY(BKA_GetHeader)
DEVHOST_IDLE_ENTRY(BKA_SetText)
DEVHOST_IDLE_ENTRY(BKA_SetSpecifiedHeader)
DEVHOST_IDLE_ENTRY(BKA_CompGetCharSet)
DEVHOST_IDLE_ENTRY(BKA_CompGetSource)
DEVHOST_IDLE_ENTRY(BKA_CompSetSource)
DEVHOST_IDLE_ENTRY(BKA_CompGetHeader)
DEVHOST_IDLE_ENTRY(BKA_CompGetSpecifiedHeader)
DEVHOST_IDLE_ENTRY(BKA_CompSetSpecifiedHeader)
DEVHOST_IDLE_ENTRY(BKA_CompGetText)
DEVHOST_IDLE_ENTRY(BKA_CompSetText)
DEVHOST_IDLE_ENTRY(BKA_CompAttachFile)
DEVHOST_IDLE_ENTRY(BKA_Alloc)
DEVHOST_IDLE_ENTRY(BKA_ReAlloc)
DEVHOST_IDLE_ENTRY(BKA_ISO_2022_JP)
DEVHOST_IDLE_ENTRY(BKA_ISO_2022_KR)
DEVHOST_IDLE_ENTRY(BKA_HZ_GB2312)
DEVHOST_IDLE_ENTRY(BKA_ISO_8859_2)
DEVHOST_IDLE_ENTRY(BKA_EUC_JP)
DEVHOST_IDLE_ENTRY(BKA_UTF_7)
DEVHOST_IDLE_ENTRY(BKA_UTF_8)
DEVHOST_IDLE_ENTRY(BKA_B64Convert)
DEVHOST_IDLE_ENTRY(BKA_QPConvert)
DEVHOST_IDLE_ENTRY(BKA_MIMEHeader)
DEVHOST_IDLE_ENTRY(BKA_SerializeRcpts)
DEVHOST_IDLE_ENTRY(BKA_Connect)
DEVHOST_IDLE_ENTRY(BKA_NextUnread)
DEVHOST_IDLE_ENTRY(BKA_ProcessMail)

}  // extern "C"
