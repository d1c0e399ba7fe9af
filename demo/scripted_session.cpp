#include "demo/scripted_session.h"

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "companions/recording_editor/editor_record.h"
#include "demo/menu_printing.h"
#include "demo/transcript.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/sample_mailbox.h"
#include "devhost/session.h"
#include "devhost/settings_dialog.h"
#include "devhost/text.h"

namespace demo {

using namespace companions;
using namespace devhost;

namespace {

// An editor launch is a new process: seconds natively, a minute or two where
// 32-bit x86 code is emulated.
constexpr DWORD kEditorStartTimeoutMs = 10 * 60 * 1000;

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
            if (page == kEditorPageIndex) result.append(" ").append(Quoted(kEditorPageTitle));
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

}  // namespace

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

}  // namespace demo
