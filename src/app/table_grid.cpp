#include "app/table_grid.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "app/error_report.h"
#include "app/table_model.h"
#include "store/table.h"

namespace tellvaro::app {

TableGrid::TableGrid(TableModel* model, const QString& name, bool several_rows, QWidget* parent)
    : QTableView(parent), model_(model) {
  model_->setParent(this);
  setModel(model_);
  setAccessibleName(name);
  setObjectName(name);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(several_rows ? QAbstractItemView::ExtendedSelection
                                : QAbstractItemView::SingleSelection);
  // A double click belongs to the grid's owner (the article grid transfers with it), so editing
  // starts by typing or F2. A click on the current cell does not: the first half of a double
  // click on it would open the cell's editor a moment later, under the transfer's message.
  setEditTriggers(model_->editable()
                      ? QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                      : QAbstractItemView::NoEditTriggers);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  // Tab leaves the grid for the next control; the arrow keys move between cells.
  setTabKeyNavigation(false);
  setCornerButtonEnabled(several_rows);
  if (auto* corner = findChild<QAbstractButton*>()) {
    corner->setAccessibleName(QString::fromUtf8("Alle Zeilen markieren"));
  }
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);

  connect(model_, &TableModel::cursorMoved, this, &TableGrid::followCursor);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { currentRowChanged(current); });
  followCursor(model_->table().position() ? static_cast<int>(*model_->table().position()) : -1);
}

QAction* TableGrid::addMenuEntry(const QString& caption) {
  auto* action = new QAction(caption, this);
  addAction(action);
  return action;
}

void TableGrid::addMenuSeparator() {
  auto* action = new QAction(this);
  action->setSeparator(true);
  addAction(action);
}

void TableGrid::scrollToCursor() {
  const auto pos = model_->table().position();
  if (pos) scrollTo(model_->index(static_cast<int>(*pos), std::max(currentIndex().column(), 0)));
}

void TableGrid::openMenuAtCurrentCell() {
  if (actions().isEmpty()) return;
  QRect cell = visualRect(currentIndex()).intersected(viewport()->rect());
  if (cell.isEmpty()) cell = QRect(viewport()->rect().topLeft(), QSize(1, 1));
  QMenu::exec(actions(), viewport()->mapToGlobal(cell.bottomLeft()), nullptr, this);
}

bool TableGrid::event(QEvent* event) {
  // The menu key's menu belongs at the row it is for, not wherever the mouse pointer rests.
  if (event->type() == QEvent::ContextMenu &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    openMenuAtCurrentCell();
    return true;
  }
  if (edit_key_first_ && event->type() == QEvent::ShortcutOverride &&
      state() != QAbstractItemView::EditingState) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
      event->accept();
      return true;
    }
  }
  return QTableView::event(event);
}

void TableGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
    emit deleteRequested();
    return;
  }
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    openMenuAtCurrentCell();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TableGrid::followCursor(int row) {
  const auto current = currentIndex();
  if (row < 0 || (current.isValid() && current.row() == row)) return;
  following_ = true;
  const int column = current.isValid() ? current.column() : 0;
  selectionModel()->setCurrentIndex(
      model_->index(row, column), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  following_ = false;
}

void TableGrid::currentRowChanged(const QModelIndex& current) {
  if (following_ || model_->reacting() || !current.isValid()) return;
  auto& table = model_->table();
  const auto row = static_cast<std::size_t>(current.row());
  if (table.position() == row) return;
  // Leaving a record posts its pending edit, which can fail (a fee that is no number).
  if (!run_guarded(model_->dialogs(), [&] { table.move_to(row); })) {
    followCursor(table.position() ? static_cast<int>(*table.position()) : -1);
  }
}

}  // namespace tellvaro::app
