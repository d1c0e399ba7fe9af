#pragma once
// Double-click on the host's mail list: opens the current mail in the
// external editor before the host handles the same double-click.

#include <windows.h>

#include "host/window_hook.h"

namespace kestrano {

// The mail list as a hooked role.
extern HookedRole mailListRole;

}  // namespace kestrano
