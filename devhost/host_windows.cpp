#include "devhost/host_windows.h"

#include <windowsx.h>

#include <string>

#include "devhost/host_state.h"
#include "devhost/plugin.h"
#include "devhost/settings_dialog.h"
#include "devhost/text.h"

namespace devhost {

namespace {

constexpr wchar_t kMainClass[] = L"KestranoDevHostMain";
constexpr wchar_t kMailListClass[] = L"KestranoDevHostMailList";
constexpr int kMailListId = 0xE900;

// The host's own menu items: identifiers below the range of plug-in commands.
constexpr int kHostCommandBase = 100;
constexpr int kExitCommand = 199;

struct DropDown {
    const wchar_t* title;
    const wchar_t* items[3];
};

constexpr DropDown kDropDowns[] = {
    {L"ファイル(&F)", {L"受信(&R)", L"送信(&S)", L"終了(&X)"}},
    {L"編集(&E)", {L"コピー(&C)", L"すべて選択(&A)", nullptr}},
    {L"表示(&V)", {L"ツールバー(&T)", L"ステータスバー(&S)", nullptr}},
    {L"メール(&M)", {L"新規作成(&N)", L"返信(&R)", L"転送(&F)"}},
    {L"ツール(&T)", {L"振り分け設定(&F)", L"全般的な設定(&O)...", nullptr}},
    {L"ヘルプ(&H)", {L"バージョン情報(&A)", nullptr, nullptr}},
};

constexpr const wchar_t* kContextMenuItems[] = {L"開く(&O)", L"返信(&R)", L"転送(&F)", L"削除(&D)"};

HMENU BuildMenuBar(int dropDowns) {
    const HMENU bar = ::CreateMenu();
    int next = kHostCommandBase;
    for (int i = 0; i < dropDowns && i < static_cast<int>(std::size(kDropDowns)); ++i) {
        const HMENU menu = ::CreatePopupMenu();
        for (const wchar_t* item : kDropDowns[i].items) {
            if (!item) continue;
            const bool exit = i == 0 && std::wstring_view{item}.starts_with(L"終了");
            ::AppendMenuW(menu, MF_STRING, exit ? kExitCommand : next++, item);
        }
        ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), kDropDowns[i].title);
    }
    return bar;
}

int RowAt(LPARAM point) {
    const int y = GET_Y_LPARAM(point);
    const int row = y / kMailRowHeight;
    return row < static_cast<int>(TheHost().mails.size()) && y >= 0 ? row : -1;
}

void PaintMailList(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    ::SetBkMode(dc, TRANSPARENT);
    const Host& host = TheHost();
    RECT client;
    ::GetClientRect(window, &client);
    for (size_t i = 0; i < host.mails.size(); ++i) {
        const Mail& mail = host.mails[i];
        RECT row{0, static_cast<LONG>(i) * kMailRowHeight, client.right, static_cast<LONG>(i + 1) * kMailRowHeight};
        if (static_cast<int>(i) == host.currentMail) ::FillRect(dc, &row, ::GetSysColorBrush(COLOR_HIGHLIGHT));
        ::SetTextColor(dc,
                       ::GetSysColor(static_cast<int>(i) == host.currentMail ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring line = std::wstring(mail.read ? L"   " : L" ● ") + FromAnsi(mail.subject) + L"    [" +
                                  FromAnsi(mail.folder) + L"]";
        row.left += 4;
        ::DrawTextW(dc, line.c_str(), -1, &row, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    ::EndPaint(window, &paint);
}

void ShowContextMenu(HWND window, LPARAM screenPoint) {
    POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (at.x == -1 && at.y == -1) ::ClientToScreen(window, &at);
    const HMENU menu = BuildMailListContextMenu();
    ApplyMenuStates(menu);
    const int chosen = static_cast<int>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, TheHost().mainWindow, nullptr));
    ::DestroyMenu(menu);
    if (chosen) ChooseCommand(chosen);
}

// The mail list's own procedure: what the mail client does without plug-ins.
LRESULT CALLBACK MailListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Host& host = TheHost();
    switch (message) {
        case WM_PAINT:
            PaintMailList(window);
            return 0;
        case WM_LBUTTONDOWN:
            if (const int row = RowAt(lParam); row >= 0) SelectMail(row);
            ::SetFocus(window);
            return 0;
        case WM_RBUTTONDOWN:
            // A right click chooses the mail its context menu is for.
            if (const int row = RowAt(lParam); row >= 0) SelectMail(row);
            return 0;
        case WM_LBUTTONDBLCLK:
            // Opening a mail marks it read.
            host.hostDoubleClicks.push_back({wParam, lParam});
            if (const int row = RowAt(lParam); row >= 0) SelectMail(row);
            if (host.currentMail >= 0) host.mails[static_cast<size_t>(host.currentMail)].read = true;
            ::InvalidateRect(window, nullptr, TRUE);
            return kMailListDoubleClickResult;
        case WM_CONTEXTMENU:
            ShowContextMenu(window, lParam);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (TheHost().mailList) ::MoveWindow(TheHost().mailList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_INITMENUPOPUP:
            ApplyMenuStates(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kExitCommand) {
                ::DestroyWindow(window);
            } else {
                ChooseCommand(LOWORD(wParam));
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    main.lpszClassName = kMainClass;
    WNDCLASSEXW list{};
    list.cbSize = sizeof list;
    list.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    list.lpfnWndProc = MailListProc;
    list.hInstance = instance;
    list.hCursor = main.hCursor;
    list.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    list.lpszClassName = kMailListClass;
    // A second session in the same process finds the classes registered.
    const bool mainOk = ::RegisterClassExW(&main) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    const bool listOk = ::RegisterClassExW(&list) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return mainOk && listOk;
}

HWND CreateMailList() {
    const HWND main = TheHost().mainWindow;
    RECT client;
    ::GetClientRect(main, &client);
    return ::CreateWindowExW(
        WS_EX_CLIENTEDGE, kMailListClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, client.right, client.bottom,
        main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMailListId)), ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

bool CreateHostWindows(const WindowOptions& options) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!RegisterClasses(instance)) return false;
    Host& host = TheHost();
    host.menuBar = BuildMenuBar(options.dropDownMenus);
    host.mainWindow = ::CreateWindowExW(0, kMainClass, L"Kestrano development host", WS_OVERLAPPEDWINDOW, 40, 40, 720,
                                        420, nullptr, host.menuBar, instance, nullptr);
    if (!host.mainWindow) return false;
    host.mailList = CreateMailList();
    if (!host.mailList) return false;
    if (options.visible) {
        ::ShowWindow(host.mainWindow, SW_SHOWNORMAL);
        ::UpdateWindow(host.mainWindow);
    }
    return true;
}

void DestroyHostWindows() {
    Host& host = TheHost();
    CloseSettingsDialog();
    if (host.mainWindow) ::DestroyWindow(host.mainWindow);  // takes the mail list and the menu bar with it
    host.mainWindow = nullptr;
    host.mailList = nullptr;
    host.menuBar = nullptr;
    // Eat the WM_QUIT that the main window's end posted.
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

HWND ReplaceMailList() {
    const HWND list = CreateMailList();
    if (list) TheHost().mailList = list;
    return list;
}

void StartPluginInHost() {
    const Plugin& plugin = ThePlugin();
    const Host& host = TheHost();
    StartPlugins();
    if (plugin.OnMenuInit) plugin.OnMenuInit(host.mainWindow, host.menuBar, kMainMenuType);
    if (host.mainWindow) ::DrawMenuBar(host.mainWindow);
}

HMENU BuildMailListContextMenu() {
    const HMENU menu = ::CreatePopupMenu();
    int next = kHostCommandBase + 50;
    for (const wchar_t* item : kContextMenuItems) ::AppendMenuW(menu, MF_STRING, next++, item);
    if (ThePlugin().OnMenuInit) ThePlugin().OnMenuInit(TheHost().mailList, menu, kMailListMenuType);
    return menu;
}

void ChooseCommand(int commandId) {
    const RegisteredCommand* command = FindCommand(commandId);
    if (command && command->callback) command->callback(TheHost().mainWindow, 0);
}

void ApplyMenuStates(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const RegisteredCommand* command = FindCommand(static_cast<int>(::GetMenuItemID(menu, i)));
        if (!command || !command->state) continue;
        const UINT state = command->state(TheHost().mainWindow, 0);
        ::EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (state == 1 ? MF_GRAYED : MF_ENABLED));
        ::CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (state == 2 ? MF_CHECKED : MF_UNCHECKED));
    }
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    return text;
}

void SelectMail(int row) {
    Host& host = TheHost();
    if (row < 0 || row >= static_cast<int>(host.mails.size())) return;
    host.currentMail = row;
    if (host.mailList) ::InvalidateRect(host.mailList, nullptr, TRUE);
}

LPARAM MailRowPoint(int row) { return MAKELPARAM(60, row * kMailRowHeight + kMailRowHeight / 2); }

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) break;
        if (IsSettingsDialogMessage(&message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

int RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsSettingsDialogMessage(&message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace devhost
