#pragma once

// What the article, upload and import view share: a grid over one of the three tables with
// that grid's columns, a record navigator over the same table, and the grid's context menu.
// Whoever owns the commands connects to the requests below and to the menu entries.

#include <QWidget>
#include "app/record_navigator.h"
#include "presentation/grid_columns.h"

class QHBoxLayout;
class QVBoxLayout;

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class TableGrid;
class TableModel;

class GridView : public QWidget {
  Q_OBJECT

 public:
  presentation::Grid kind() const { return kind_; }
  TableGrid* grid() const { return grid_; }
  RecordNavigator* navigator() const { return navigator_; }

 signals:
  // The navigator's delete or Ctrl+Del in the grid: the current record, after asking.
  void deleteRequested();
  // A click on the title of the column at `column`.
  void titleClicked(int column);

 protected:
  struct Shape {
    presentation::Grid kind;
    QString name;                 // the grid's accessible name
    bool editable = false;        // cells accept typing where their column allows it
    bool several_rows = false;    // more than one row can be selected
    bool full_navigator = false;  // its navigator also inserts, edits and cancels
  };
  GridView(store::Table& table, ports::Dialogs& dialogs, const Shape& shape,
           QWidget* parent = nullptr);

  TableModel* model() const;
  QAction* addMenuEntry(const QString& caption);
  void addMenuSeparator();

  // The navigator with `beside` after a gap, the rest of the row empty.
  QHBoxLayout* navigatorRow(std::initializer_list<QWidget*> beside);
  // The view's own layout, with the margins all three views keep.
  QVBoxLayout* frame();

 private:
  presentation::Grid kind_;
  TableGrid* grid_ = nullptr;
  RecordNavigator* navigator_ = nullptr;
};

}  // namespace tellvaro::app
