#include "app/table_model.h"

#include <QFont>
#include <QPointer>
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

TableModel::TableModel(store::Table& table, std::vector<GridColumn> columns, bool editable,
                       ports::Dialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      columns_(std::move(columns)),
      editable_(editable),
      dialogs_(dialogs) {
  for (const auto& c : columns_) fields_.push_back(store::field_at(c.field));
  rows_ = static_cast<int>(table_.count());
  // The table outlives no window but may outlive a model; a dead model just stops listening.
  QPointer<TableModel> self(this);
  table_.on_data_change([self](std::optional<std::size_t> field) {
    if (self) self->tableChanged(field);
  });
  table_.on_layout_change([self] {
    if (self) self->tableLayoutChanged();
  });
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
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return qtext(std::string(columns_[section].field));
  if (role == Qt::FontRole && titleBold(section)) {
    QFont font;
    font.setBold(true);
    return font;
  }
  return {};
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
  const auto field = store::article_fields()[fields_[index.column()]].name;
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

void TableModel::tableChanged(std::optional<std::size_t> field) {
  Reacting guard(reacting_);
  // An insert or a delete may come as a record change; the row count tells.
  if (static_cast<int>(table_.count()) != rows_) {
    tableLayoutChanged();
    return;
  }
  const int row = cursorRow();
  if (field) {
    const int column = columnOf(*field);
    if (row >= 0 && column >= 0) emit dataChanged(index(row, column), index(row, column));
    return;
  }
  // The cursor moved or the record was replaced as a whole: the old row may show stale edit
  // values, and which row that was is not known here.
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
  emit cursorMoved(row);
}

void TableModel::tableLayoutChanged() {
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
  emit cursorMoved(cursorRow());
}

}  // namespace tellvaro::app
