#pragma once

// The upload view: navigator, the two send buttons and the read-only upload grid.

#include <QWidget>

class QPushButton;

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class RecordNavigator;
class TableGrid;

class UploadView : public QWidget {
  Q_OBJECT

 public:
  UploadView(store::Table& uploads, ports::Dialogs& dialogs, QWidget* parent = nullptr);

  TableGrid* grid() const { return grid_; }
  RecordNavigator* navigator() const { return navigator_; }
  QPushButton* sendOneButton() const { return send_one_; }
  QPushButton* sendAllButton() const { return send_all_; }

  QAction* copyAction() const { return copy_; }
  QAction* removeAction() const { return remove_; }
  QAction* removeAllAction() const { return remove_all_; }

 private:
  TableGrid* grid_ = nullptr;
  RecordNavigator* navigator_ = nullptr;
  QPushButton* send_one_ = nullptr;
  QPushButton* send_all_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* remove_ = nullptr;
  QAction* remove_all_ = nullptr;
};

}  // namespace tellvaro::app
