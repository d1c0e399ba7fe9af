#pragma once
// The host's plug-in interface as this plug-in uses it. The host's main
// executable exports BKA_* functions by name; every call in both directions is
// WINAPI, and text crosses as NUL-terminated ANSI strings in the system code page.

#include <windows.h>

namespace kestrano {

// Callbacks handed to the host. Its parameter is opaque to the plug-in.
using CommandCallback = void(WINAPI*)(HWND window, LPARAM parameter);
using UIStateCallback = UINT(WINAPI*)(HWND window, LPARAM parameter);

// Answers of a UI-state callback.
inline constexpr UINT kMenuEnabled = 0;
inline constexpr UINT kMenuGrayed = 1;
inline constexpr UINT kMenuChecked = 2;

// Targets of BKA_RegisterCommand.
inline constexpr int kMainWindowMenu = 0;
inline constexpr int kMailListContextMenu = 1;

// BKA_RegisterUICallback's failure answer.
inline constexpr int kUICallbackRefused = -1;

// Status bit of BKA_GetStatus.
inline constexpr DWORD kMailRead = 0x1;

// Resolved host entry points. The field order is part of the plug-in's
// layout and differs from the order of the lookups: BKA_SetStatus follows
// BKA_GetStatus, BKA_GetSize follows BKA_SetSource, and the two late
// additions follow BKA_Connect. Entries the plug-in never calls stay FARPROC.
struct HostApi {
    LPCSTR(WINAPI* GetVersion)();
    void(WINAPI* Command)(HWND window, LPCSTR command);
    BOOL(WINAPI* GetWindowHandles)(HWND* main, HWND* tree, HWND* list, HWND* view);
    int(WINAPI* RegisterCommand)(LPCSTR comment, int target, CommandCallback callback);
    int(WINAPI* RegisterUICallback)(UINT command, UIStateCallback callback);
    FARPROC GetDataFolder;
    LPCSTR(WINAPI* GetTempFolder)();
    FARPROC GetTempFileName;
    FARPROC GetCurrentMailBox;
    FARPROC SetCurrentMailBox;
    LPCSTR(WINAPI* GetCurrentFolder)();
    FARPROC SetCurrentFolder;
    FARPROC GetFolderDisplayName;
    FARPROC SetMessageText;
    LPCSTR(WINAPI* GetCurrentMail)();
    FARPROC SetCurrentMail;
    FARPROC GetNextMail;
    FARPROC SetSel;
    FARPROC AppendMessage;
    FARPROC MoveSelectedMessages;
    DWORD(WINAPI* GetStatus)(LPCSTR mail);
    FARPROC SetStatus;
    FARPROC ComposeMail;
    FARPROC GetCharSet;
    FARPROC GetSource;
    FARPROC SetSource;
    FARPROC GetSize;
    FARPROC GetHeader;
    LPSTR(WINAPI* GetText)(LPSTR buffer, int size);
    FARPROC SetText;
    LPSTR(WINAPI* GetSpecifiedHeader)(LPCSTR header, LPSTR buffer, int size);
    FARPROC SetSpecifiedHeader;
    FARPROC CompGetCharSet;
    FARPROC CompGetSource;
    FARPROC CompSetSource;
    FARPROC CompGetHeader;
    FARPROC CompGetSpecifiedHeader;
    FARPROC CompSetSpecifiedHeader;
    FARPROC CompGetText;
    FARPROC CompSetText;
    FARPROC CompAttachFile;
    FARPROC Alloc;
    FARPROC ReAlloc;
    void(WINAPI* Free)(LPVOID memory);
    FARPROC ISO_2022_JP;
    FARPROC ISO_2022_KR;
    FARPROC HZ_GB2312;
    FARPROC ISO_8859_2;
    FARPROC EUC_JP;
    FARPROC UTF_7;
    FARPROC UTF_8;
    FARPROC B64Convert;
    FARPROC QPConvert;
    FARPROC MIMEHeader;
    FARPROC SerializeRcpts;
    FARPROC Connect;
    FARPROC NextUnread;
    FARPROC ProcessMail;
    HMODULE module;  // the host's main executable; null while unbound
};

// Filled once at process attach, read-only afterwards.
extern HostApi hostApi;

// Binds hostApi to the process's main executable. False refuses the host: a
// required entry point is missing, or the host is new enough to need
// BKA_SetStatus and lacks it.
bool BindHostApi() noexcept;

// The oldest host version whose plug-in interface includes BKA_SetStatus.
inline constexpr char kFirstVersionWithSetStatus[] = "2.00.06";

}  // namespace kestrano
