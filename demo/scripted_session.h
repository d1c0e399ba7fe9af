#pragma once
// The scripted session: a short, fixed sequence of what a user does with the
// sample mailbox, printed step by step with what follows each step, in a
// registry and folders of its own. The editor is the recording editor, which
// notes how it was started.

namespace demo {

// 0 when everything went as the plug-in promises; 2 when something did not,
// 1 when the session could not be set up.
int RunScripted();

}  // namespace demo
