#include "demo/interactive_host.h"

#include <windows.h>

#include <string>

#include "demo/transcript.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/sample_mailbox.h"
#include "devhost/session.h"
#include "devhost/text.h"

namespace demo {

using namespace devhost;

namespace {

// Wine's notepad serves as the editor for a person when the host names none.
constexpr wchar_t kFallbackEditor[] = L"C:\\windows\\system32\\notepad.exe";

}  // namespace

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

}  // namespace demo
