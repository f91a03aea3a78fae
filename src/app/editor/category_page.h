#pragma once

// Page "Kategorie": browses the auction house's category tree into the current article. The
// browse state lives in the core; this page forwards the user's choices and paints the state.

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "catalogue/categories.h"
#include "catalogue/category_search.h"
#include "presentation/category_browser.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class FieldBinder;

class CategoryPage : public QWidget {
  Q_OBJECT

 public:
  CategoryPage(db::Connection& db, store::Table& articles, FieldBinder& binder,
               ports::Dialogs* dialogs, QWidget* parent = nullptr);

  // The article table's change hook: empty and disable the levels.
  void reset();
  // The article table's before-post hook: the browse's number and level names go into the
  // record, "Kategorie ändern" comes back.
  void beforePost();
  // The record was left or cancelled.
  void discardPending();
  void paint();

  // The search beside the browser: the edit "Suchen:", its results and the line below them.
  QLineEdit* searchEdit() const { return search_; }
  QListWidget* searchResults() const { return results_; }
  QLabel* searchNote() const { return note_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  catalogue::Slot slot() const;
  void run(const std::function<void()>& step);
  void choose(int level, int row);
  void paintLevel(int level);

  store::Table& articles_;
  ports::Dialogs* dialogs_;
  presentation::CategoryBrowser browser_;
  QPushButton* change_ = nullptr;
  QPushButton* save_ = nullptr;
  QComboBox* kat_ = nullptr;
  QLineEdit* number1_ = nullptr;
  QLineEdit* number2_ = nullptr;
  QComboBox* chooser_ = nullptr;
  std::array<QListWidget*, 4> lists_{};  // levels 2 to 5
  // What each level shows, so an unchanged level is not rebuilt under the user's click.
  std::array<QStringList, presentation::CategoryBrowser::kLevels> shown_;
  bool mouse_down_ = false;
  db::Connection& db_;
  QLineEdit* search_ = nullptr;
  QListWidget* results_ = nullptr;
  QLabel* note_ = nullptr;
};

}  // namespace tellvaro::app
