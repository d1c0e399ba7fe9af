// Prints the texts a user reads from the plug-in, as the plug-in itself
// defines them: the menu texts and the description decoded from code page
// 932, and the version. One line each, "<name><TAB><text>", in UTF-8. The
// checks of the documents (the guide, the install notes, the README, the
// release notes, the pictures' record) take the texts from here, so a text
// changed in the code alone fails them wherever a document still quotes the
// old one.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "devhost/text.h"
#include "editor_feature/open_in_editor.h"
#include "editor_feature/settings_menu.h"
#include "host/plugin_info.h"

namespace {

struct Shown {
    const char* name;
    std::string_view text;
};

const Shown kShown[] = {
    {"kOpenMenuText", kestrano::kOpenMenuText},
    {"kSettingsSubmenuText", kestrano::kSettingsSubmenuText},
    {"kDoubleClickMenuText", kestrano::kDoubleClickMenuText},
    {"kUnreadDoubleClickMenuText", kestrano::kUnreadDoubleClickMenuText},
    {"kChangeEditorMenuText", kestrano::kChangeEditorMenuText},
    {"kPluginDescription", kestrano::kPluginDescription},
    {"kPluginVersion", kestrano::kPluginVersion},
};

}  // namespace

int main() {
    // Lines end in LF, as the checks on Linux and Windows both read them.
    _setmode(_fileno(stdout), _O_BINARY);
    for (const Shown& shown : kShown) {
        const std::string text = devhost::Cp932ToUtf8(shown.text);
        if (text.empty()) {
            std::fprintf(stderr, "plugin_texts: %s does not decode from code page 932\n", shown.name);
            return 1;
        }
        std::printf("%s\t%s\n", shown.name, text.c_str());
    }
    return 0;
}
