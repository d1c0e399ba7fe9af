#pragma once
// The development host's state: what a session of the mail client would hold
// (mails, folders, windows, the plug-in's registered commands), settable by
// tests and the demo, and a record of what the plug-in asked of the host.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace devhost {

using CommandCallback = void(WINAPI*)(HWND window, LPARAM parameter);
using UIStateCallback = UINT(WINAPI*)(HWND window, LPARAM parameter);

// Folder identifiers in the host's form: mailbox folder, then the folder.
inline constexpr char kInboxFolder[] = "4a7f21c0.mb\\!!!!Inbox\\";
inline constexpr char kOutboxFolder[] = "4a7f21c0.mb\\!!!Outbox\\";

struct Mail {
    std::string id;                   // the host's mail identifier
    std::string folder;               // identifier of the folder holding it
    std::string subject;              // code page 932 bytes; empty when the mail has none
    std::optional<std::string> text;  // code page 932 bytes; nothing = the host has no text
    bool read = false;
};

struct RegisteredCommand {
    int id = 0;
    std::string comment;
    int target = 0;  // 0 = main-window menu, 1 = mail-list context menu
    CommandCallback callback = nullptr;
    UIStateCallback state = nullptr;
};

struct Host {
    // --- set by tests and the demo ---
    std::string version = "2.00.06";
    std::string tempFolder;  // ends with a backslash, as the host's does
    std::vector<Mail> mails;
    int currentMail = -1;  // index into mails; -1 = none
    // With no current mail, BKA_GetCurrentMail answers "" rather than null.
    bool emptyIdWithoutMail = false;
    // When set, BKA_GetCurrentFolder answers this instead of the current mail's folder.
    std::optional<std::optional<std::string>> currentFolderOverride;
    // BKA_GetSpecifiedHeader fills the whole buffer, with no terminator.
    bool fillWholeHeaderBuffer = false;
    bool reportMainWindow = true;
    bool reportMailList = true;
    // The n-th call (1-based) of BKA_RegisterCommand answers 0; of
    // BKA_RegisterUICallback answers -1. 0 = never.
    int failRegisterCommandAt = 0;
    int failRegisterUICallbackAt = 0;
    // BKA_Command "GeneralSetup" opens the settings dialog; off, it only records.
    bool openSettingsDialog = true;
    // The settings dialog's editor page bears this title instead of
    // "エディタ", as in a host in another language.
    std::wstring editorPageTitle;
    // A person is at the keyboard: the editor button asks for a program.
    bool interactive = false;

    // --- recorded ---
    std::vector<std::string> calls;  // every BKA_* call, by name, in order
    std::vector<RegisteredCommand> commands;
    std::vector<std::string> hostCommands;  // names passed to BKA_Command
    int registerCommandCalls = 0;
    int registerUICallbackCalls = 0;
    int textsHandedOut = 0;  // BKA_GetText results not yet given back with BKA_Free
    int textsFreed = 0;
    struct Click {
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Click> hostDoubleClicks;  // double-clicks the mail list's own procedure handled
    int editorButtonClicks = 0;           // clicks on the settings dialog's editor button
    HWND settingsDialog = nullptr;        // the open general-settings dialog, if any

    // --- the host's windows ---
    HWND mainWindow = nullptr;
    HWND mailList = nullptr;
    HMENU menuBar = nullptr;
};

Host& TheHost();

// Clears everything a test or demo step may have set or recorded; keeps the windows.
void ResetHostState();

const Mail* CurrentMail();
// The current folder as BKA_GetCurrentFolder answers it; null for none.
LPCSTR CurrentFolder();

const RegisteredCommand* FindCommand(int id);
const RegisteredCommand* FindCommandByComment(const std::string& comment);

}  // namespace devhost
