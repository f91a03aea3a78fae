#pragma once

// The program's way from a successful login to its main window. Off the window's thread, with
// the login: the workspace is made and the auction house opened (the connection, the reference
// lists). Then on the window's thread: the question about an earlier run's unsaved changes, and
// the main window built and started on the workspace.

#include <memory>

#include "app/login_window.h"

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

// `workspace` receives the workspace when the main window is built; it must outlive the window.
LoginWindow::MainWindowPreparation main_window_preparation(
    ports::Dialogs& dialogs, std::unique_ptr<workspace::Workspace>& workspace);

}  // namespace tellvaro::app
