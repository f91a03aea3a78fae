#pragma once

// Owns the upload view's two send buttons. A send is a long run: it marks the workspace busy
// (the main window then disables what would disturb it), writes its lines into the workspace's
// protocol and shows its progress through the Progress port.

#include <QObject>
#include <functional>
#include <string>

#include "ports/dialogs.h"
#include "upload/send.h"

namespace tellvaro::ports {
class Progress;
}
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class UploadView;

class SendController : public QObject, public ports::Pump {
  Q_OBJECT

 public:
  struct Parts {
    workspace::Workspace& workspace;
    UploadView& view;
    ports::Dialogs& dialogs;
    ports::Progress& progress;
    std::function<void()> show_protocol;
  };
  explicit SendController(Parts parts, QObject* parent = nullptr);
  ~SendController() override;

  void sendMarked();
  void sendAll();

 private:
  void run(bool all);

  void pump() override;

  Parts p_;
};

}  // namespace tellvaro::app
