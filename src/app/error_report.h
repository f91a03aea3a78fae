#pragma once

// The one place where an unexpected failure of a user action ends that action and reaches the
// user: a message box with the error's text. Qt cannot carry an exception through its event
// loop, so every slot that calls the core runs its work through here.

#include <functional>
#include <string>

namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

// Runs `action`; a tellvaro::Error (or any other exception) is shown through `dialogs.error`.
// True when the action ran to its end.
bool run_guarded(ports::Dialogs& dialogs, const std::function<void()>& action);

// The text to show for the exception being handled; call only inside a catch block.
std::string current_error_text();

}  // namespace tellvaro::app
