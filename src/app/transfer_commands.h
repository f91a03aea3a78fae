#pragma once

// The article view's two transfer commands: one article (double click on the article grid, or
// its menu entry) and all articles. The checks and the copy are the core's; this only shows
// their messages, brings the editor page forward and refreshes the upload counters.

#include <QObject>
#include <functional>
#include <string>

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::store {
class Table;
}

namespace tellvaro::app {

class ArticleView;

class TransferCommands : public QObject {
  Q_OBJECT

 public:
  struct Parts {
    ArticleView* view = nullptr;  // grid, menu entries and editor
    store::Table* articles = nullptr;
    store::Table* uploads = nullptr;
    ports::Dialogs* dialogs = nullptr;
    std::function<void(const std::string&)> add_protocol_line;
  };
  explicit TransferCommands(Parts parts, QObject* parent = nullptr);

  void transferOne();
  void transferAll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Parts p_;
};

}  // namespace tellvaro::app
