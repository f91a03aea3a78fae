#pragma once

// Owns the article view's transfer commands: one article (double click on the article grid,
// or its menu entry), all articles, and "direkt übertragen" (one article, then sent from the
// upload table). The checks and the copy are the core's; this only shows
// their messages, brings the editor page forward and writes the lines into the workspace's
// upload protocol. Nothing is transferred while a run is busy with the upload table.

#include <QObject>

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class RunGate;
}
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class ArticleView;
class EditorSession;
class SendCommands;

class TransferCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    workspace::Workspace& workspace;
    const presentation::RunGate& gate;
    ArticleView& view;  // grid, menu entries and editor pages
    EditorSession& editor;
    SendCommands& send;
    ports::Dialogs& dialogs;
  };
  explicit TransferCommands(Dependencies dependencies, QObject* parent = nullptr);

  // True when the article was complete and copied.
  bool transferOne();
  void transferAll();
  // Transfers one article and sends it at once.
  void transferDirect();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Dependencies d_;
};

}  // namespace tellvaro::app
