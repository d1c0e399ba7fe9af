#include "devhost/host_state.h"

namespace devhost {

Host& TheHost() {
    static Host host;
    return host;
}

void ResetHostState() {
    Host& host = TheHost();
    const HWND mainWindow = host.mainWindow;
    const HWND mailList = host.mailList;
    const HMENU menuBar = host.menuBar;
    host = Host{};
    host.mainWindow = mainWindow;
    host.mailList = mailList;
    host.menuBar = menuBar;
}

const Mail* CurrentMail() {
    const Host& host = TheHost();
    if (host.currentMail < 0 || host.currentMail >= static_cast<int>(host.mails.size())) return nullptr;
    return &host.mails[static_cast<size_t>(host.currentMail)];
}

LPCSTR CurrentFolder() {
    const Host& host = TheHost();
    if (host.currentFolderOverride)
        return *host.currentFolderOverride ? (*host.currentFolderOverride)->c_str() : nullptr;
    const Mail* mail = CurrentMail();
    return mail ? mail->folder.c_str() : nullptr;
}

const RegisteredCommand* FindCommand(int id) {
    for (const RegisteredCommand& command : TheHost().commands) {
        if (command.id == id) return &command;
    }
    return nullptr;
}

const RegisteredCommand* FindCommandByComment(const std::string& comment) {
    const RegisteredCommand* found = nullptr;
    for (const RegisteredCommand& command : TheHost().commands) {
        if (command.comment == comment) found = &command;
    }
    return found;  // the latest, as the host's menus use the latest registration
}

}  // namespace devhost
