#pragma once

// Binds an edit, a result list and a note to the category search: the pause in typing, the
// question to the server off the window's thread, the results painted as they come. The page
// "Kategorie" and the bulk change each lay out their own controls and bind them here.

#include <QObject>
#include <functional>

#include "catalogue/category_search.h"
#include "presentation/category_search.h"
#include "runs/category_search_run.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::app {

class CategorySearchBinding : public QObject {
  Q_OBJECT

 public:
  struct Controls {
    QLineEdit* edit;
    QListWidget* results;
    QLabel* note;
  };
  // `busy`: a run holds the tables, nothing is asked. `take`: a result was chosen (Enter or a
  // double click on a category without sub-categories).
  CategorySearchBinding(const db::Connection& db, Controls controls, std::string_view hint,
                        std::function<bool()> busy,
                        std::function<void(const catalogue::CategoryMatch&)> take, QObject* parent);

  const presentation::CategorySearch& search() const { return search_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void edited(const QString& text);
  void pauseEnded();
  void paint();

  Controls c_;
  presentation::CategorySearch search_;
  runs::CategorySearchRun run_;
  std::function<bool()> busy_;
  std::function<void(const catalogue::CategoryMatch&)> take_;
  QTimer* pause_ = nullptr;
};

}  // namespace tellvaro::app
