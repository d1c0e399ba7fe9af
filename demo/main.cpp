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
//
// The scripted session is in scripted_session.cpp, the interactive host in
// interactive_host.cpp, the menus it opens for a picture in shown_menus.cpp;
// menu_printing.cpp reads the host's menus back, transcript.cpp prints.

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/interactive_host.h"
#include "demo/scripted_session.h"
#include "demo/shown_menus.h"
#include "demo/transcript.h"
#include "devhost/text.h"
#include "devhost/user_registry.h"

using namespace demo;
using namespace devhost;

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
