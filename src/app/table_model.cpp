#include "app/table_model.h"

#include <QFont>
#include <algorithm>
#include <iterator>

#include "app/error_report.h"
#include "store/table.h"

namespace tellvaro::app {

namespace {

QString qtext(const std::string& s) { return QString::fromStdString(s); }

// Counts nested reactions, so a reaction that triggers another one keeps the flag up.
struct Reacting {
  explicit Reacting(int& n) : n_(n) { ++n_; }
  ~Reacting() { --n_; }
  int& n_;
};

}  // namespace

TableModel::TableModel(store::Table& table, std::vector<presentation::GridColumn> columns,
                       bool editable, ports::Dialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      columns_(std::move(columns)),
      editable_(editable),
      dialogs_(dialogs) {
  for (const auto& c : columns_) fields_.push_back(store::index_of(c.field));
  rows_ = static_cast<int>(table_.count());
  shown_cursor_ = cursorRow();
  data_change_ =
      table_.on_data_change([this](std::optional<std::size_t> field) { tableChanged(field); });
  rows_change_ =
      table_.on_rows_change([this](const store::Table::RowChange& c) { tableRowsChanged(c); });
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  // A view may ask before it has heard of a shrink; never read past the table.
  if (index.row() >= static_cast<int>(table_.count())) return {};
  const auto field = fields_[index.column()];
  const auto& value = table_.row(index.row())[field];
  return qtext(store::to_text(value, store::article_fields()[field]));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical && section >= 0 && section < static_cast<int>(notes_.size()) &&
      !notes_[section].mark.isEmpty()) {
    if (role == Qt::DisplayRole) return QString::number(section + 1) + ' ' + notes_[section].mark;
    if (role == Qt::ToolTipRole) return notes_[section].tip;
  }
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return qtext(std::string(store::name_of(columns_[section].field)));
  if (role == Qt::FontRole && titleBold(section)) {
    QFont font;
    font.setBold(true);
    return font;
  }
  return {};
}

void TableModel::setRowNotes(std::vector<RowNote> notes) {
  notes_ = std::move(notes);
  // The views may not have heard of a row change yet: never name rows they do not have.
  const int shown = std::min(rows_, static_cast<int>(table_.count()));
  if (shown > 0) emit headerDataChanged(Qt::Vertical, 0, shown - 1);
}

bool TableModel::readOnly(int column) const {
  return !editable_ || column < 0 || column >= columnCount() || columns_[column].read_only;
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
  auto f = QAbstractTableModel::flags(index);
  if (index.isValid() && !readOnly(index.column())) f |= Qt::ItemIsEditable;
  return f;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || readOnly(index.column())) return false;
  const auto row = static_cast<std::size_t>(index.row());
  const auto field = static_cast<store::F>(fields_[index.column()]);
  return run_guarded(dialogs_, [&] {
    if (table_.position() != row) table_.move_to(row);
    table_.set_text(field, value.toString().toStdString());
  });
}

void TableModel::setBoldTitles(const std::set<int>& columns) {
  if (columns == bold_) return;
  std::set<int> changed;
  std::set_symmetric_difference(columns.begin(), columns.end(), bold_.begin(), bold_.end(),
                                std::inserter(changed, changed.end()));
  bold_ = columns;
  emit headerDataChanged(Qt::Horizontal, *changed.begin(), *changed.rbegin());
}

int TableModel::columnOf(std::size_t field) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i] == field) return static_cast<int>(i);
  }
  return -1;
}

int TableModel::cursorRow() const {
  auto pos = table_.position();
  return pos ? static_cast<int>(*pos) : -1;
}

void TableModel::emitRowChanged(int row) {
  if (row >= 0 && row < rows_) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TableModel::tableChanged(std::optional<std::size_t> field) {
  Reacting guard(reacting_);
  // Row events keep the count; a mismatch would mean a missed one, and a reset mends it.
  if (static_cast<int>(table_.count()) != rows_) {
    resetRows();
    return;
  }
  const int row = cursorRow();
  if (field) {
    const int column = columnOf(*field);
    if (row >= 0 && column >= 0) emit dataChanged(index(row, column), index(row, column));
    return;
  }
  // The cursor moved, or the current record changed as a whole: the row left may still show
  // the values of an edit that was cancelled, so both rows are painted again.
  if (shown_cursor_ != row) emitRowChanged(shown_cursor_);
  emitRowChanged(row);
  shown_cursor_ = row;
  emit cursorMoved(row);
}

void TableModel::tableRowsChanged(const store::Table::RowChange& change) {
  using Kind = store::Table::RowChange::Kind;
  Reacting guard(reacting_);
  const int first = static_cast<int>(change.first);
  const int count = static_cast<int>(change.count);
  switch (change.kind) {
    case Kind::Inserted:
      if (first > rows_ || count <= 0) return resetRows();
      beginInsertRows({}, first, first + count - 1);
      rows_ += count;
      endInsertRows();
      break;
    case Kind::Removed:
      if (first + count > rows_ || count <= 0) return resetRows();
      beginRemoveRows({}, first, first + count - 1);
      rows_ -= count;
      endRemoveRows();
      break;
    case Kind::Moved: {
      const int to = static_cast<int>(change.to);
      if (first >= rows_ || to >= rows_) return resetRows();
      if (first == to) {
        emitRowChanged(first);
        break;
      }
      // Qt names the row the moved one goes before, counted before the move.
      beginMoveRows({}, first, first, {}, to > first ? to + 1 : to);
      endMoveRows();
      emitRowChanged(to);
      break;
    }
    case Kind::Changed:
      if (first + count > rows_ || count <= 0) return resetRows();
      emit dataChanged(index(first, 0), index(first + count - 1, columnCount() - 1));
      break;
    case Kind::Reset:
      return resetRows();
  }
  if (static_cast<int>(table_.count()) != rows_) return resetRows();
  shown_cursor_ = cursorRow();
  emit cursorMoved(shown_cursor_);
}

void TableModel::resetRows() {
  Reacting guard(reacting_);
  const int rows = static_cast<int>(table_.count());
  if (rows == rows_ && rows > 0) {
    // The same number of rows in another order (a sort): the views re-read what they show and
    // keep their scroll position and header; a reset would rebuild all of it.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
  } else {
    beginResetModel();
    rows_ = rows;
    endResetModel();
  }
  shown_cursor_ = cursorRow();
  emit cursorMoved(shown_cursor_);
}

}  // namespace tellvaro::app
