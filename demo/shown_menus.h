#pragma once
// Menus opened for a picture (--show-menu): driven from a second thread with
// the input a user's keyboard and mouse would give, so that the host's own
// menu loop opens and draws them as it does for a person.

#include <optional>
#include <string_view>

namespace demo {

enum class ShownMenu { None, Tools, Context };

// "tools" or "context", as the command line names them.
std::optional<ShownMenu> ShownMenuNamed(std::string_view name);

// Once the host's window is up, opens menu and leaves it open, then prints
// one line a script can wait for and read: where on the screen the menus are.
void ShowMenuOnceUp(ShownMenu menu);

}  // namespace demo
