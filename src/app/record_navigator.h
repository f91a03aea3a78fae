#pragma once

// The row of buttons under or above a grid that moves through its table and edits it.

#include <QWidget>
#include <functional>
#include <vector>

class QToolButton;

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class RecordNavigator : public QWidget {
  Q_OBJECT

 public:
  enum class Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel };

  RecordNavigator(store::Table& table, ports::Dialogs& dialogs, const std::vector<Button>& buttons,
                  QWidget* parent = nullptr);

  // Absent buttons give nullptr.
  QToolButton* button(Button b) const;

  // Runs before every button's work. The buttons take no focus, so an editor beside the grid
  // uses this to hand over what the user typed and has not left yet.
  void setBeforeEach(std::function<void()> f) { before_each_ = std::move(f); }

 signals:
  // Deleting asks the user first; whoever owns that question connects here.
  void deleteClicked();

 private:
  void run(Button b);

  store::Table& table_;
  ports::Dialogs& dialogs_;
  std::function<void()> before_each_;
  QToolButton* buttons_[9] = {};
};

}  // namespace tellvaro::app
