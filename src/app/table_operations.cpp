#include "app/table_operations.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include "app/accessible.h"
#include "app/error_report.h"
#include "app/record_navigator.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "app/view_upload.h"
#include "store/article_store.h"
#include "store/sorting.h"
#include "store/table_commands.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

TableOperations::TableOperations(workspace::Workspace& workspace, Views views,
                                 ports::Dialogs& dialogs, QObject* parent)
    : QObject(parent),
      workspace_(workspace),
      views_(views),
      dialogs_(dialogs),
      sorting_(std::make_unique<store::GridSorting>(
          workspace.store(), std::array<int, 3>{start_sort_column(article_grid_columns()),
                                                start_sort_column(upload_grid_columns()),
                                                start_sort_column(import_grid_columns())})) {
  auto& store = workspace_.store();

  connectGrid(store::Grid::Articles, views_.articles.grid());
  connectGrid(store::Grid::Uploads, views_.uploads.grid());
  connectGrid(store::Grid::Imports, views_.imports.grid());

  connect(views_.articles.filterEdit(), &QLineEdit::textChanged, this, [this] { filter(); });
  // However the box changes: a click, the space bar or a screen reader's toggle action.
  connect(views_.articles.filterBox(), &QCheckBox::toggled, this, [this] { filter(); });

  connect(views_.articles.copyAction(), &QAction::triggered, this, [this, &store] {
    if (settleEditor())
      guarded([&] { copy_current(store.articles, store::CopyRule::WithoutPictures); });
  });
  connect(views_.uploads.copyAction(), &QAction::triggered, this, [this, &store] {
    if (!busy()) guarded([&] { copy_current(store.uploads, store::CopyRule::Identical); });
  });

  // Only the article table is never walked by a run.
  auto remove = [this, &store](store::Table& table, std::string_view question) {
    if ((&table == &store.articles || !busy()) && settleEditor())
      guarded([&] { store::delete_current(table, dialogs_, question); });
  };
  auto remove_all = [this, &store](store::Table& table) {
    if ((&table == &store.articles || !busy()) && settleEditor())
      guarded([&] { store::delete_all(table, dialogs_); });
  };
  connect(views_.articles.removeAction(), &QAction::triggered, this,
          [=, &store] { remove(store.articles, store::kAskDeleteArticle); });
  connect(views_.uploads.removeAction(), &QAction::triggered, this,
          [=, &store] { remove(store.uploads, store::kAskDeleteArticle); });
  connect(views_.articles.removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove_all(store.articles); });
  connect(views_.uploads.removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove_all(store.uploads); });
  connect(views_.imports.removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove_all(store.imports); });

  // The navigators' delete and the grids' delete key ask their own question.
  const std::pair<RecordNavigator*, store::Table*> navigators[] = {
      {views_.articles.navigator(), &store.articles},
      {views_.uploads.navigator(), &store.uploads},
      {views_.imports.navigator(), &store.imports}};
  for (auto [navigator, table] : navigators) {
    connect(navigator, &RecordNavigator::deleteClicked, this,
            [=] { remove(*table, store::kAskDeleteRecord); });
  }
  const std::pair<TableGrid*, store::Table*> grids[] = {{views_.articles.grid(), &store.articles},
                                                        {views_.uploads.grid(), &store.uploads},
                                                        {views_.imports.grid(), &store.imports}};
  for (auto [grid, table] : grids) {
    connect(grid, &TableGrid::deleteRequested, this,
            [=] { remove(*table, store::kAskDeleteRecord); });
  }
}

TableOperations::~TableOperations() = default;

bool TableOperations::busy() const { return workspace_.busy(); }

void TableOperations::connectGrid(store::Grid grid, TableGrid* view) {
  connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [=, this](int column) { titleClicked(grid, view, column); });
}

void TableOperations::guarded(const std::function<void()>& action) {
  run_guarded(dialogs_, action);
}

bool TableOperations::settleEditor() {
  return run_guarded(dialogs_, [this] { views_.articles.editor()->commitPendingEdits(); });
}

void TableOperations::startSorting() {
  guarded([this] { sorting_->start(); });
  showSorting();
}

void TableOperations::showSorting() {
  const std::pair<store::Grid, TableGrid*> grids[] = {
      {store::Grid::Articles, views_.articles.grid()},
      {store::Grid::Uploads, views_.uploads.grid()},
      {store::Grid::Imports, views_.imports.grid()}};
  for (auto [grid, view] : grids) view->tableModel()->setBoldTitles(sorting_->bold(grid));
  show_value(views_.articles.sortLabel(), QString::fromStdString(sorting_->label()));
}

void TableOperations::titleClicked(store::Grid grid, TableGrid* view, int column) {
  const auto& columns = view->tableModel()->columns();
  if (column < 0 || column >= static_cast<int>(columns.size())) return;
  if ((grid != store::Grid::Articles && busy()) || !settleEditor()) return;
  guarded([&] { sorting_->click_title(grid, column, columns[column].field); });
  showSorting();
  view->scrollToCursor();
}

void TableOperations::filter() {
  if (!settleEditor()) return;
  guarded([this] {
    sorting_->filter(views_.articles.filterEdit()->text().toStdString(),
                     views_.articles.filterBox()->isChecked());
  });
  showSorting();
  views_.articles.grid()->scrollToCursor();
}

}  // namespace tellvaro::app
