#pragma once

// The upload view: navigator, the two send buttons and the read-only upload grid.

#include "app/view_grid.h"
#include "ports/signal.h"

class QPushButton;

namespace tellvaro::upload {
class ListedRows;
}

namespace tellvaro::app {

class UploadView : public GridView {
  Q_OBJECT

 public:
  // With `listed`, rows listed before carry a mark and their auction number beside their row
  // number.
  UploadView(store::Table& uploads, ports::Dialogs& dialogs, upload::ListedRows* listed = nullptr,
             QWidget* parent = nullptr);

  QPushButton* sendOneButton() const { return send_one_; }
  QPushButton* sendAllButton() const { return send_all_; }

  QAction* copyAction() const { return copy_; }
  QAction* removeAction() const { return remove_; }
  QAction* removeAllAction() const { return remove_all_; }

 private:
  void markListedRows();

  store::Table& uploads_;
  upload::ListedRows* listed_;
  QPushButton* send_one_ = nullptr;
  QPushButton* send_all_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* remove_ = nullptr;
  QAction* remove_all_ = nullptr;
  ports::Subscription rows_change_, data_change_, listed_change_;
};

}  // namespace tellvaro::app
