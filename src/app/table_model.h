#pragma once

// A grid's view of one store::Table: a column list of article fields, titles are the field
// names. The table stays the one owner of records, cursor and edit state; the model only
// translates its observer calls into Qt's change signals.

#include <QAbstractTableModel>
#include <optional>
#include <set>
#include <vector>

#include "ports/signal.h"
#include "presentation/grid_columns.h"
#include "store/table.h"

namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class TableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // `editable` false makes the whole grid read-only; otherwise the columns' own flags count.
  TableModel(store::Table& table, std::vector<presentation::GridColumn> columns, bool editable,
             ports::Dialogs& dialogs, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Writes the cell's field "as text" into the table (moving the cursor there first). A text
  // the field cannot take is reported and the value stays as it was.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  store::Table& table() const { return table_; }
  ports::Dialogs& dialogs() const { return dialogs_; }
  const std::vector<presentation::GridColumn>& columns() const { return columns_; }
  bool editable() const { return editable_; }
  bool readOnly(int column) const;

  // A mark beside a row's number (the vertical header) with a longer tooltip; rows without one
  // show their number only.
  struct RowNote {
    QString mark;
    QString tip;
  };
  void setRowNotes(std::vector<RowNote> notes);

  // Bold column titles mark the sort column.
  void setBoldTitles(const std::set<int>& columns);
  bool titleBold(int column) const { return bold_.count(column) != 0; }

  // True while the model reacts to the table; a view must not move the cursor then.
  bool reacting() const { return reacting_ > 0; }

 signals:
  // The table's cursor is now on `row` (-1: the table shows no record).
  void cursorMoved(int row);

 private:
  void tableChanged(std::optional<std::size_t> field);
  void tableRowsChanged(const store::Table::RowChange& change);
  void resetRows();
  void emitRowChanged(int row);
  int columnOf(std::size_t field) const;
  int cursorRow() const;

  store::Table& table_;
  std::vector<presentation::GridColumn> columns_;
  std::vector<std::size_t> fields_;  // article field index per column
  bool editable_;
  ports::Dialogs& dialogs_;
  std::set<int> bold_;
  std::vector<RowNote> notes_;
  int rows_ = 0;           // the row count the views were last told
  int shown_cursor_ = -1;  // the current row the views were last told
  int reacting_ = 0;
  ports::Subscription data_change_;
  ports::Subscription rows_change_;
};

}  // namespace tellvaro::app
