#pragma once

// Owns the upload view's two send buttons. A send asks its questions here, then runs on a
// thread of its own while the workspace is busy (the main window disables what would disturb
// it, in one place); its lines go into the workspace's protocol, its progress into the status
// bar, and its outcome is shown when it ends.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "workspace/workspace.h"

namespace tellvaro::ports {
class Dialogs;
class Progress;
}  // namespace tellvaro::ports
namespace tellvaro::runs {
class SendRun;
struct RunEvent;
}  // namespace tellvaro::runs
namespace tellvaro::presentation {
class RunGate;
}

namespace tellvaro::app {

class UploadView;

class SendCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    UploadView& view;
    ports::Dialogs& dialogs;
    ports::Progress& progress;
    std::function<void()> show_protocol;
  };
  explicit SendCommands(Dependencies dependencies, QObject* parent = nullptr);
  ~SendCommands() override;

  void sendMarked();
  void sendAll();

  bool running() const;
  // Ends the running send after its current article, as one that broke off; its message is
  // not shown (the seller asked for it).
  void stopAfterCurrent();

 signals:
  // A send that was started has ended and its outcome was shown.
  void runFinished();

 private:
  void start(bool all);
  void told(const runs::RunEvent& e);
  void finish();

  Dependencies d_;
  runs::SendRun* run_ = nullptr;
  std::unique_ptr<workspace::Workspace::Run> busy_;
};

}  // namespace tellvaro::app
