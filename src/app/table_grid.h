#pragma once

// A grid over a TableModel whose current row is the table's cursor, in both directions.

#include <QTableView>

namespace tellvaro::app {

class TableModel;

class TableGrid : public QTableView {
  Q_OBJECT

 public:
  // `name` is the grid's accessible name; `several_rows` allows selecting more than one row.
  TableGrid(TableModel* model, const QString& name, bool several_rows, QWidget* parent = nullptr);

  TableModel* tableModel() const { return model_; }

  // Adds an entry to the grid's context menu; the owner of the action connects it.
  QAction* addMenuEntry(const QString& caption);
  void addMenuSeparator();

  // Scrolls the table's current record into view.
  void scrollToCursor();

  // Opens the context menu below the current cell, as the menu key and Shift+F10 do.
  void openMenuAtCurrentCell();

  // F2 edits the current cell even where a window shortcut claims the key (in the article view
  // the menu's F2 would only show the view already shown).
  void setEditKeyBeforeShortcuts(bool on) { edit_key_first_ = on; }

 signals:
  // The delete key combination (Ctrl+Del): whoever owns the question connects here.
  void deleteRequested();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void followCursor(int row);
  void currentRowChanged(const QModelIndex& current);

  TableModel* model_;
  bool following_ = false;
  bool edit_key_first_ = false;
};

}  // namespace tellvaro::app
