#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "session/session.h"

namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The login hands over what it found; `login_window` is closed by the close sequence, which
  // ends the program.
  MainWindow(session::ServiceConfig config, session::SessionUser user,
             session::Deployment deployment, std::string program_folder, ports::Dialogs& dialogs,
             QWidget* login_window, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Main window creation in its order: tables, caption, refresh, start sort, connection,
  // reference lists. Shows errors through the dialogs; the window stays usable.
  void start();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tellvaro::app
