#include "app/program_start.h"

#include "app/main_window.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

LoginWindow::MainWindowPreparation main_window_preparation(
    ports::Dialogs& dialogs, std::unique_ptr<workspace::Workspace>& workspace) {
  return [&dialogs, &workspace](const session::Login& login,
                                const std::string& folder) -> LoginWindow::MainWindowOpener {
    struct Prepared {
      std::unique_ptr<workspace::Workspace> workspace;
      workspace::Opening opening;
    };
    auto prepared = std::make_shared<Prepared>();
    prepared->workspace = std::make_unique<workspace::Workspace>(login.deployment(), login.config(),
                                                                 login.user(), folder);
    prepared->opening = prepared->workspace->open_auction_house();
    return [&dialogs, &workspace, prepared, folder](QWidget* login_window) {
      // Before the main window: what a run that did not end cleanly left unsaved.
      const bool restore = workspace::ask_about_earlier_journal(dialogs, folder);
      workspace = std::move(prepared->workspace);
      auto window = std::make_unique<MainWindow>(*workspace, dialogs, login_window);
      window->start(restore, &prepared->opening);
      return std::unique_ptr<QWidget>(std::move(window));
    };
  };
}

}  // namespace tellvaro::app
