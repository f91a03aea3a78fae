#include "app/view_grid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "app/table_grid.h"
#include "app/table_model.h"

namespace tellvaro::app {

GridView::GridView(store::Table& table, ports::Dialogs& dialogs, const Shape& shape,
                   QWidget* parent)
    : QWidget(parent), kind_(shape.kind) {
  using B = RecordNavigator::Button;
  navigator_ = new RecordNavigator(
      table, dialogs,
      shape.full_navigator
          ? std::vector<B>{B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Edit,
                           B::Post, B::Cancel}
          : std::vector<B>{B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post});
  auto* model =
      new TableModel(table, presentation::columns_of(shape.kind), shape.editable, dialogs);
  grid_ = new TableGrid(model, shape.name, shape.several_rows);
  connect(navigator_, &RecordNavigator::deleteClicked, this, &GridView::deleteRequested);
  connect(grid_, &TableGrid::deleteRequested, this, &GridView::deleteRequested);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &GridView::titleClicked);
}

TableModel* GridView::model() const { return grid_->tableModel(); }

QAction* GridView::addMenuEntry(const QString& caption) { return grid_->addMenuEntry(caption); }

void GridView::addMenuSeparator() { grid_->addMenuSeparator(); }

QHBoxLayout* GridView::navigatorRow(std::initializer_list<QWidget*> beside) {
  auto* row = new QHBoxLayout;
  row->addWidget(navigator_);
  row->addSpacing(16);
  for (QWidget* w : beside) row->addWidget(w);
  row->addStretch(1);
  return row;
}

QVBoxLayout* GridView::frame() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  return layout;
}

}  // namespace tellvaro::app
