#pragma once

// The first window of the program and the application's main window for the whole run:
// closing it ends the program.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "session/session.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::runs {
class BackgroundRun;
}

namespace tellvaro::app {

class LoginWindow : public QWidget {
  Q_OBJECT

 public:
  // Creates the main window after a successful login (and runs its creation); the login window
  // keeps it for the rest of the run.
  using MainWindowFactory = std::function<std::unique_ptr<QWidget>(
      const session::Login& login, const std::string& program_folder, QWidget* login_window)>;
  // Builds the main window on the window's thread once the login and its preparation are done.
  using MainWindowOpener = std::function<std::unique_ptr<QWidget>(QWidget* login_window)>;
  // Runs off the window's thread right after a successful login, with the login's thread: what
  // the main window needs from the network before it opens. Returns what then builds it.
  using MainWindowPreparation = std::function<MainWindowOpener(const session::Login& login,
                                                               const std::string& program_folder)>;

  LoginWindow(session::Deployment deployment, std::string program_folder, ports::Dialogs& dialogs,
              MainWindowFactory make_main_window, QWidget* parent = nullptr);
  LoginWindow(session::Deployment deployment, std::string program_folder, ports::Dialogs& dialogs,
              MainWindowPreparation prepare_main_window, QWidget* parent = nullptr);
  ~LoginWindow() override;

  QWidget* splashPanel() const { return splash_; }
  QWidget* loginPanel() const { return login_panel_; }
  int splashCounter() const { return splash_counter_; }
  QWidget* mainWindow() const { return main_window_.get(); }
  const session::Login& login() const { return login_; }

 public slots:
  // One press of "Einloggen": the login runs off the window's thread, its status lines arrive
  // as they are said, and loginEnded() follows its outcome. A press while one runs does nothing.
  void logIn();
  // One beat of the one-second splash timer.
  void tick();

 signals:
  // A press of "Einloggen" has had its outcome: a message, the main window or nothing.
  void loginEnded();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  QWidget* makeSplashPanel();
  QWidget* makeLoginPanel();
  QLabel* makeCreditLine(QWidget* parent);
  void hideSplash();
  void loginDone();

  session::Login login_;
  std::string program_folder_;
  ports::Dialogs& dialogs_;
  MainWindowPreparation prepare_main_window_;
  std::unique_ptr<QWidget> main_window_;
  // What the login's thread leaves, read once it has ended.
  session::LoginResult result_{session::LoginOutcome::TryAgain, {}};
  std::string failure_;
  MainWindowOpener open_main_window_;
  runs::BackgroundRun* run_ = nullptr;

  QWidget* splash_ = nullptr;
  QWidget* login_panel_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QPushButton* log_in_ = nullptr;
  QListWidget* status_ = nullptr;
  QTimer* splash_timer_ = nullptr;
  int splash_counter_ = 0;
  bool centred_ = false;
};

}  // namespace tellvaro::app
