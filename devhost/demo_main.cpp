// The demo: the plug-in at work in the development host.
//
//   kestrano_demo                  plays a short session with the sample mailbox
//                                  and prints, step by step, what a user would see
//   kestrano_demo --interactive    shows the host's window for a person to click
//                 [--editor PATH]  ... with PATH as the host's external editor
//                 [--open ROW]     ... and double-clicks that row once it is up
//                 [--fresh-settings] ... starting from no settings, as on a first run
//                 [--show-menu tools|context]
//                                  ... and, once it is up, opens the Tools menu
//                                  with the plug-in's submenu, or the mail
//                                  list's context menu, and leaves it open
//
// The scripted session's editor is the recording editor, which notes how it was
// started; the interactive one uses the host's "ExtTextEditor" like the mail client.
//
// Neither touches the mail client's real settings: the scripted session keeps
// its settings in a scratch key removed when it ends; the interactive host keeps
// them, for the person's next run, under HKEY_CURRENT_USER\Software\Kestrano
// development host (or, with --fresh-settings, in a scratch key too).

#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devhost/editor_record.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/sample_mailbox.h"
#include "devhost/session.h"
#include "devhost/settings_dialog.h"
#include "devhost/text.h"
#include "devhost/user_registry.h"

namespace {

using namespace devhost;

// Wine's notepad serves as the editor for a person when the host names none.
constexpr wchar_t kFallbackEditor[] = L"C:\\windows\\system32\\notepad.exe";
// The drop-down menu (ツール) that receives the plug-in's submenu.
constexpr int kToolsMenu = 4;
// An editor launch is a new process: seconds natively, a minute or two where
// 32-bit x86 code is emulated.
constexpr DWORD kEditorStartTimeoutMs = 10 * 60 * 1000;

// ---------------------------------------------------------------------------
// Output. A console converts bytes through its own code page (932 under a
// Japanese locale), so it gets UTF-16; a pipe or file gets the UTF-8 bytes.

void Print(std::string_view utf8) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        const std::wstring text = Decode(utf8, CP_UTF8);
        ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

void PrintLine(std::string_view utf8 = {}) {
    Print(utf8);
    Print("\n");
}

// Text for the terminal, with control characters made visible (a subject may hold a TAB).
std::string Shown(std::wstring_view text) {
    std::wstring visible;
    for (const wchar_t c : text) {
        if (c == L'\t') {
            visible += L"\\t";
        } else if (c < 0x20) {
            wchar_t escaped[8];
            std::swprintf(escaped, std::size(escaped), L"\\x%02X", static_cast<unsigned>(c));
            visible += escaped;
        } else {
            visible += c;
        }
    }
    return ToUtf8(visible);
}

std::string Quoted(std::wstring_view text) { return "「" + Shown(text) + "」"; }

std::string SubjectOf(const Mail& mail) { return Quoted(Decode(mail.subject, kJapaneseCodePage)); }

// A menu text without its keyboard accelerator, as it reads in a sentence.
std::string Label(std::wstring text) {
    if (const size_t open = text.find(L"(&"); open != std::wstring::npos && open + 4 <= text.size()) {
        text.erase(open, 4);
    }
    std::erase(text, L'&');
    return Quoted(text);
}

// ---------------------------------------------------------------------------
// Menus, read back from the host's windows as a user sees them.

bool IsPluginCommand(HMENU menu, int position) {
    const UINT id = ::GetMenuItemID(menu, position);
    return id != static_cast<UINT>(-1) && FindCommand(static_cast<int>(id)) != nullptr;
}

// An item as a user sees it: a separator's line, or the check mark, the text,
// the arrow of a submenu and whether it is greyed.
std::string ItemLine(HMENU menu, int position, UINT state, bool opensSubmenu) {
    if (state & MF_SEPARATOR) return "────────────";
    std::string line;
    if (!opensSubmenu) line += state & MF_CHECKED ? "✓ " : "  ";
    line += ToUtf8(MenuText(menu, position));
    if (opensSubmenu) line += "  ▸";
    if (state & MF_GRAYED) line += "   (greyed)";
    return line;
}

void PrintMenu(HMENU menu, int depth, int firstAdded) {
    ApplyMenuStates(menu);  // as the host does before a menu opens
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        const HMENU submenu = ::GetSubMenu(menu, i);
        const bool added = (firstAdded >= 0 && i >= firstAdded) || IsPluginCommand(menu, i);
        PrintLine(std::string(added ? "  + " : "    ") + std::string(static_cast<size_t>(depth) * 4, ' ') +
                  ItemLine(menu, i, state, submenu != nullptr));
        if (submenu) PrintMenu(submenu, depth + 1, added ? 0 : -1);
    }
}

HMENU PluginSubmenu() {
    const HMENU tools = ::GetSubMenu(TheHost().menuBar, kToolsMenu);
    const int count = tools ? ::GetMenuItemCount(tools) : 0;
    for (int i = 0; i < count; ++i) {
        const HMENU submenu = ::GetSubMenu(tools, i);
        if (submenu && IsPluginCommand(submenu, 0)) return submenu;
    }
    return nullptr;
}

// The n-th entry (0-based) of the plug-in's submenu: its command and its text.
struct Entry {
    int id = 0;
    std::wstring text;
};
Entry SubmenuEntry(int position) {
    const HMENU submenu = PluginSubmenu();
    if (!submenu) return {};
    return {static_cast<int>(::GetMenuItemID(submenu, position)), MenuText(submenu, position)};
}

std::string SwitchStates() {
    const HMENU submenu = PluginSubmenu();
    if (!submenu) return "the submenu is missing";
    ApplyMenuStates(submenu);
    std::string states;
    for (int i = 0; i < 2; ++i) {
        const UINT state = ::GetMenuState(submenu, static_cast<UINT>(i), MF_BYPOSITION);
        if (i) states += ", ";
        states += std::string(state & MF_CHECKED ? "✓ " : "☐ ") + Label(MenuText(submenu, i));
        if (state & MF_GRAYED) states += " (greyed)";
    }
    return states;
}

// ---------------------------------------------------------------------------
// The scripted session.

using FolderListing = std::map<std::wstring, ULONGLONG>;

FolderListing FilesIn(const std::wstring& folder) {
    FolderListing files;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files[found.cFileName] = (ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return files;
}

std::string FolderName(const Mail& mail) {
    // The host's identifier is "<mailbox>\<marks><name>\"; a person knows the folder by its name.
    std::string name = mail.folder.substr(0, mail.folder.size() - 1);
    name = name.substr(name.find_last_of('\\') + 1);
    return name.substr(name.find_first_not_of('!'));
}

std::string Describe(const Mail& mail) {
    return SubjectOf(mail) + " (" + (mail.read ? "read" : "unread") + ", " + FolderName(mail) + ")";
}

class Script {
public:
    Script(std::wstring tempFolder, std::wstring recordFolder)
        : tempFolder_(std::move(tempFolder)), recordFolder_(std::move(recordFolder)) {}

    void DoubleClick(int row) {
        const Mail& mail = TheHost().mails[static_cast<size_t>(row)];
        const std::string did = "Double-clicked " + Describe(mail);
        const std::string why = WhyDoubleClickOpensNothing(mail);
        const FolderListing before = FilesIn(tempFolder_);
        SelectMail(row);
        ::SendMessageW(TheHost().mailList, WM_LBUTTONDBLCLK, MK_LBUTTON, MailRowPoint(row));
        Report(did, before, why);
    }

    void OpenFromContextMenu(int row) {
        const Mail& mail = TheHost().mails[static_cast<size_t>(row)];
        SelectMail(row);
        const HMENU menu = BuildMailListContextMenu();
        ApplyMenuStates(menu);
        const int id = static_cast<int>(::GetMenuItemID(menu, 0));
        const std::string did = "Right-clicked " + Describe(mail) + ", chose " + Label(MenuText(menu, 0));
        ::DestroyMenu(menu);
        const FolderListing before = FilesIn(tempFolder_);
        ChooseCommand(id);
        Report(did, before, {});
    }

    void Toggle(int position) {
        const Entry entry = SubmenuEntry(position);
        ChooseCommand(entry.id);
        Step("Chose " + Label(entry.text) + " → now " + SwitchStates());
    }

    void ChangeEditor() {
        const Entry entry = SubmenuEntry(2);
        const int clicksBefore = TheHost().editorButtonClicks;
        ChooseCommand(entry.id);
        PumpMessages();
        std::string note;
        if (TheHost().editorButtonClicks == clicksBefore && TheHost().settingsDialog) {
            // A main window that never had the activation (behind a console on
            // Windows, say) is not told it lost it; hand it the change a user's
            // click would bring.
            ::SendMessageW(TheHost().mainWindow, WM_NCACTIVATE, FALSE, 0);
            PumpMessages();
            note = " (after the demo deactivated the main window itself)";
        }
        const int page = SettingsDialogPage();
        const int clicks = TheHost().editorButtonClicks - clicksBefore;
        std::string result;
        if (page < 0) {
            result = "the host's settings dialog did not open";
            Surprise();
        } else {
            result = "the host opened " + Quoted(kSettingsDialogTitle) + ", the plug-in turned it to page " +
                     std::to_string(page + 1);
            if (page == kEditorPageIndex) result += " " + Quoted(kEditorPageTitle);
            result += clicks == 1 ? " and clicked its button 「参照」, with which the user picks the editor"
                                  : "; the editor button was clicked " + std::to_string(clicks) + " times";
            if (page != kEditorPageIndex || clicks != 1) Surprise();
        }
        Step("Chose " + Label(entry.text) + " → " + result + note);
        CloseSettingsDialog();
    }

    [[nodiscard]] bool AllAsExpected() const { return !surprised_; }

private:
    // The plug-in's rules for a double-click, told the way a user would hear them.
    static std::string WhyDoubleClickOpensNothing(const Mail& mail) {
        if (ReadSettingDword(kDoubleClickValue).value_or(0) != 1) return "double-click opening is switched off";
        if (mail.folder.find("Outbox") != std::string::npos) return "mails in the outbox are never opened this way";
        if (!mail.read && ReadSettingDword(kUnreadDoubleClickValue).value_or(0) != 1) {
            return "the mail is unread and opening unread mails is switched off (the host opened it and marked it "
                   "read)";
        }
        return {};
    }

    void Report(const std::string& did, const FolderListing& before, const std::string& whyNothing) {
        std::vector<std::wstring> written;
        for (const auto& [name, size] : FilesIn(tempFolder_)) {
            if (!before.contains(name)) written.push_back(name);
        }
        if (written.empty()) {
            if (whyNothing.empty()) {
                Surprise();
                return Step(did + " → nothing was written (unexpected)");
            }
            return Step(did + " → nothing happened: " + whyNothing);
        }
        if (!whyNothing.empty()) Surprise();
        std::string result;
        for (const std::wstring& name : written) {
            if (!result.empty()) result += "; ";
            result += "wrote " + Quoted(name) + " (" + std::to_string(FilesIn(tempFolder_)[name]) + " bytes); " +
                      EditorLaunchOn(tempFolder_ + name, CurrentMail());
        }
        if (!whyNothing.empty()) result += " (unexpected: " + whyNothing + ")";
        Step(did + " → " + result);
    }

    std::string EditorLaunchOn(const std::wstring& path, const Mail* mail) {
        const auto launches = WaitForEditorLaunches(recordFolder_, launchesSeen_ + 1, kEditorStartTimeoutMs);
        for (size_t i = launchesSeen_; i < launches.size(); ++i) {
            const EditorLaunch& launch = launches[i];
            if (launch.arguments.size() == 2 && launch.arguments[1] == path) {
                ++launchesSeen_;
                std::string line = "the editor ran as: " + Shown(launch.commandLine);
                if (!launch.fileRead) {
                    line += " (and could not read the file)";
                    Surprise();
                } else if (!mail || launch.content != mail->text.value_or("")) {
                    line += " (and found other bytes in it than the mail's text)";
                    Surprise();
                }
                return line;
            }
        }
        launchesSeen_ = launches.size();
        Surprise();
        return "the editor did not start on it";
    }

    void Step(const std::string& line) { PrintLine(std::to_string(++steps_) + ". " + line); }
    void Surprise() { surprised_ = true; }

    std::wstring tempFolder_;
    std::wstring recordFolder_;
    size_t launchesSeen_ = 0;
    int steps_ = 0;
    bool surprised_ = false;
};

void PrintPluginInformation() {
    const PluginDescription info = DescribePlugin();
    PrintLine("The plug-in, as it describes itself to the host (BKC_OnPlugInInfo):");
    PrintLine("    name         " + Cp932ToUtf8(info.name));
    PrintLine("    vendor       " + Cp932ToUtf8(info.vendor));
    PrintLine("    version      " + Cp932ToUtf8(info.version));
    PrintLine("    description  " + Cp932ToUtf8(info.description));
}

void PrintMailbox() {
    PrintLine("The mailbox:");
    const auto& mails = TheHost().mails;
    for (size_t i = 0; i < mails.size(); ++i) PrintLine("    " + std::to_string(i + 1) + ". " + Describe(mails[i]));
}

int RunScripted() {
    const std::wstring tempFolder = MakeScratchFolder(L"Kestrano demo");
    const std::wstring recordFolder = MakeScratchFolder(L"Kestrano editor record");
    if (tempFolder.empty() || recordFolder.empty()) {
        PrintLine("kestrano_demo: could not make a scratch folder");
        return 1;
    }
    // The launched editor inherits this: it tells the recording editor where to write.
    ::SetEnvironmentVariableW(kEditorRecordVariable, recordFolder.c_str());

    Host& host = TheHost();
    host.mails = SampleMailbox();
    host.tempFolder = ToAnsi(tempFolder);
    // Shown, so that activation moves between the host's windows as it does
    // for a user (Wine's null driver draws nothing).
    if (!OpenSession({.windows = {.visible = true}, .startPlugin = false})) {
        PrintLine("kestrano_demo: the plug-in did not load into the host (error " + std::to_string(::GetLastError()) +
                  ")");
        return 1;
    }
    // A first session, in a scratch registry: the plug-in seeds its switches with their defaults.
    SetExternalEditor(RecordingEditorPath());
    const HMENU tools = ::GetSubMenu(host.menuBar, kToolsMenu);
    const int hostItems = ::GetMenuItemCount(tools);
    StartPluginInHost();

    PrintLine(std::string("Kestrano in the development host (") + (sizeof(void*) == 4 ? "32-bit" : "64-bit") +
              " build), with a sample mailbox.");
    PrintLine("Temporary folder: " + Shown(tempFolder));
    PrintLine("External editor:  " + Shown(RecordingEditorPath()) + " (records how it was started)");
    PrintLine();
    PrintPluginInformation();
    PrintLine();
    PrintMailbox();
    PrintLine();
    PrintLine("Main menu " + Quoted(MenuText(host.menuBar, kToolsMenu)) + ", with what the plug-in added (+):");
    PrintMenu(tools, 0, hostItems);
    PrintLine();
    PrintLine("The mail list's context menu, with what the plug-in added (+):");
    const HMENU context = BuildMailListContextMenu();
    PrintMenu(context, 0, -1);
    ::DestroyMenu(context);
    PrintLine();

    PrintLine("What the user does, and what follows:");
    Script script(tempFolder, recordFolder);
    script.DoubleClick(0);
    script.DoubleClick(3);
    script.DoubleClick(4);
    script.OpenFromContextMenu(2);
    script.Toggle(1);
    script.DoubleClick(2);
    script.Toggle(0);
    script.DoubleClick(1);
    script.OpenFromContextMenu(1);
    script.Toggle(0);
    script.ChangeEditor();

    CloseSession();
    RemoveScratchFolder(tempFolder);
    RemoveScratchFolder(recordFolder);
    if (!script.AllAsExpected()) {
        PrintLine();
        PrintLine("Something above did not go as the plug-in promises.");
        return 2;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Menus opened for a picture (--show-menu): driven from a second thread with
// the input a user's keyboard and mouse would give, so that the host's own
// menu loop opens and draws them as it does for a person.

enum class ShownMenu { None, Tools, Context };

std::optional<ShownMenu> ShownMenuNamed(std::string_view name) {
    if (name == "tools") return ShownMenu::Tools;
    if (name == "context") return ShownMenu::Context;
    return std::nullopt;
}

// Open menus are top-level windows of the system's menu class. Their
// outline, on the screen, is what a picture of them needs.
struct OpenMenus {
    int count = 0;
    RECT bounds{};
};

OpenMenus VisibleMenus() {
    OpenMenus open;
    HWND menu = nullptr;
    while ((menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        RECT at;
        if (!::IsWindowVisible(menu) || !::GetWindowRect(menu, &at)) continue;
        if (open.count++ == 0) {
            open.bounds = at;
        } else {
            ::UnionRect(&open.bounds, &open.bounds, &at);
        }
    }
    return open;
}

bool WaitForVisibleMenus(int count) {
    // A program start under emulation takes a minute; a menu is quicker.
    for (int waited = 0; waited < 120'000; waited += 50) {
        if (VisibleMenus().count >= count) return true;
        ::Sleep(50);
    }
    return false;
}

void PressKey(HWND window, WPARAM key) {
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    // Repeat count 1, the key was down and is being released.
    ::PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

bool OpenToolsMenu(HWND mainWindow) {
    // Alt+T opens ツール with its first entry selected; Up wraps round to the
    // plug-in's submenu at its end, Right opens it, and two Downs leave the
    // selection on the editor shortcut, so that both switches show their
    // state unhighlighted.
    ::PostMessageW(mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 't');
    if (!WaitForVisibleMenus(1)) return false;
    for (const WPARAM key : {VK_UP, VK_RIGHT}) PressKey(mainWindow, key);
    if (!WaitForVisibleMenus(2)) return false;
    for (const WPARAM key : {VK_DOWN, VK_DOWN}) PressKey(mainWindow, key);
    return true;
}

bool OpenContextMenu(HWND mailList) {
    // A right click on the first mail, which selects it, then the menu at
    // the point where the click fell.
    const LPARAM row = MailRowPoint(0);
    POINT at{GET_X_LPARAM(row), GET_Y_LPARAM(row)};
    ::ClientToScreen(mailList, &at);
    ::PostMessageW(mailList, WM_RBUTTONDOWN, MK_RBUTTON, row);
    ::PostMessageW(mailList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(mailList), MAKELPARAM(at.x, at.y));
    return WaitForVisibleMenus(1);
}

DWORD WINAPI OpenMenuOnceUp(void* parameter) {
    const auto menu = static_cast<ShownMenu>(reinterpret_cast<INT_PTR>(parameter));
    const Host& host = TheHost();
    while (!::IsWindowVisible(host.mainWindow)) ::Sleep(50);
    ::Sleep(500);  // until the host has painted its window
    const bool opened = menu == ShownMenu::Tools ? OpenToolsMenu(host.mainWindow) : OpenContextMenu(host.mailList);
    ::Sleep(500);  // until the menus have drawn their entries
    if (!opened) {
        PrintLine("kestrano_demo: the menu did not open");
        return 1;
    }
    const RECT at = VisibleMenus().bounds;
    // One line a script can wait for and read: where on the screen the menus are.
    PrintLine("kestrano_demo: menu shown at " + std::to_string(at.left) + "," + std::to_string(at.top) + " " +
              std::to_string(at.right - at.left) + "x" + std::to_string(at.bottom - at.top));
    return 0;
}

void ShowMenuOnceUp(ShownMenu menu) {
    if (menu == ShownMenu::None) return;
    const HANDLE thread =
        ::CreateThread(nullptr, 0, OpenMenuOnceUp, reinterpret_cast<void*>(static_cast<INT_PTR>(menu)), 0, nullptr);
    if (thread) ::CloseHandle(thread);
}

// ---------------------------------------------------------------------------
// The interactive host.

int RunInteractive(const std::wstring& editorChoice, int openRow, ShownMenu shownMenu) {
    Host& host = TheHost();
    host.interactive = true;
    host.mails = SampleMailbox();
    const std::wstring tempFolder = MakeScratchFolder(L"Kestrano");
    host.tempFolder = ToAnsi(tempFolder);
    if (!OpenSession({.windows = {.visible = true}})) {
        PrintLine("kestrano_demo: the plug-in did not load into the host (error " + std::to_string(::GetLastError()) +
                  ")");
        return 1;
    }
    const auto editor = ReadSettingRaw(L"ExtTextEditor");
    if (!editorChoice.empty()) {
        SetExternalEditor(editorChoice);
    } else if (!editor || editor->bytes.size() < 2 * sizeof(wchar_t)) {
        SetExternalEditor(kFallbackEditor);
    }
    if (openRow >= 0 && openRow < static_cast<int>(host.mails.size())) {
        // Posted, so the window is up and painted before the editor comes.
        SelectMail(openRow);
        ::PostMessageW(host.mailList, WM_LBUTTONDBLCLK, MK_LBUTTON, MailRowPoint(openRow));
    }
    ShowMenuOnceUp(shownMenu);
    const int result = RunMessageLoop();
    CloseSession();
    // The files stay: the editor may still have them open.
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    bool interactive = false;
    bool freshSettings = false;
    int openRow = -1;
    std::wstring editor;
    ShownMenu shownMenu = ShownMenu::None;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--interactive") == 0) {
            interactive = true;
        } else if (std::strcmp(argv[i], "--editor") == 0 && i + 1 < argc) {
            editor = FromAnsi(argv[++i]);
        } else if (std::strcmp(argv[i], "--open") == 0 && i + 1 < argc) {
            openRow = std::atoi(argv[++i]) - 1;
        } else if (std::strcmp(argv[i], "--fresh-settings") == 0) {
            freshSettings = true;
        } else if (std::strcmp(argv[i], "--show-menu") == 0 && i + 1 < argc && ShownMenuNamed(argv[i + 1])) {
            shownMenu = *ShownMenuNamed(argv[++i]);
        } else {
            PrintLine(
                "usage: kestrano_demo [--interactive [--editor PATH] [--open ROW] [--fresh-settings] "
                "[--show-menu tools|context]]");
            return 64;
        }
    }
    const bool keepSettings = interactive && !freshSettings;
    const bool redirected =
        keepSettings ? RedirectUserRegistryTo(kDevelopmentHostKeyPath) : RedirectUserRegistryToScratch();
    if (!redirected) {
        PrintLine("kestrano_demo: could not give the host a registry key of its own; it would write the mail client's");
        return 1;
    }
    const int result = interactive ? RunInteractive(editor, openRow, shownMenu) : RunScripted();
    EndUserRegistryRedirect();
    return result;
}
