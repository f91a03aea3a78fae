#pragma once

// The dialog of "Ausgewählte Artikel bearbeiten...": a tick "ändern" per field (payment boxes
// and highlights: grey leaves them, ticked sets, unticked clears), the category by search, and
// the preview the core works out from what the controls hold. It changes nothing itself: the
// owner's apply does, and the dialog closes when that succeeded.

#include <QDialog>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/category_search.h"
#include "catalogue/reference.h"
#include "presentation/bulk_form.h"
#include "store/table.h"
#include "workspace/bulk_edit.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class CategorySearchBinding;

class BulkEditDialog : public QDialog {
  Q_OBJECT

 public:
  struct Parts {
    const workspace::BulkEditor& editor;  // works out the preview
    std::vector<store::Table::Key> keys;  // the articles chosen
    std::vector<std::string> durations;   // the editor's lists
    catalogue::PaymentNames payments;
    const db::Connection& db;    // the category search opens its own connection like it
    std::function<bool()> busy;  // a run holds the connection
    ports::Dialogs& dialogs;
    // Stores the change; true when it did (the dialog then closes).
    std::function<bool(const workspace::BulkChange&)> apply;
  };
  explicit BulkEditDialog(Parts parts, QWidget* parent = nullptr);

  // What the controls hold.
  workspace::BulkChange change() const;
  // Works the preview out now instead of after the pause in typing.
  void updatePreview();
  QString summaryText() const;
  QString previewText() const;

  // The controls of one field, for tests and screen readers alike.
  QCheckBox* changeBox(store::F field) const;  // "ändern"
  QWidget* valueControl(store::F field) const;
  QComboBox* wayBox(store::F field) const;   // prices only
  QCheckBox* flagBox(store::F field) const;  // flags: grey, ticked, unticked
  QLineEdit* categorySearch() const { return search_; }
  QListWidget* categoryResults() const { return results_; }
  QPushButton* applyButton() const { return apply_; }

 private:
  struct Row {
    QCheckBox* change = nullptr;
    QWidget* value = nullptr;
    QComboBox* way = nullptr;
    QCheckBox* flag = nullptr;
  };
  QWidget* makeRow(const workspace::BulkField& f, QGridLayout* grid, int row);
  static QString valueText(const QWidget* value);
  void schedulePreview();
  void takeCategory(const catalogue::CategoryMatch& match);
  void tryApply();

  Parts p_;
  presentation::BulkForm form_;
  std::map<store::F, Row> rows_;
  struct CategoryRow {
    QCheckBox* change = nullptr;
    QLineEdit* shown = nullptr;
  };
  CategoryRow categories_[2];
  QComboBox* slot_ = nullptr;
  QLineEdit* search_ = nullptr;
  QListWidget* results_ = nullptr;
  QLabel* note_ = nullptr;
  CategorySearchBinding* search_binding_ = nullptr;
  QLabel* summary_ = nullptr;
  QPlainTextEdit* preview_ = nullptr;
  QTimer* preview_pause_ = nullptr;
  QPushButton* apply_ = nullptr;
};

}  // namespace tellvaro::app
