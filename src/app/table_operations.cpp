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
#include "presentation/confirmations.h"
#include "presentation/grid_sorting.h"
#include "store/article_store.h"
#include "store/table_commands.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

TableOperations::TableOperations(workspace::Workspace& workspace, Views views,
                                 ports::Dialogs& dialogs, QObject* parent)
    : QObject(parent),
      workspace_(workspace),
      views_(views),
      dialogs_(dialogs),
      sorting_(std::make_unique<presentation::GridSorting>(workspace.store())) {
  auto& store = workspace_.store();

  connectGrid(presentation::Grid::Articles, views_.articles.grid());
  connectGrid(presentation::Grid::Uploads, views_.uploads.grid());
  connectGrid(presentation::Grid::Imports, views_.imports.grid());

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

  using presentation::Deletion;
  // Only the article table is never walked by a run.
  auto remove = [this, &store](store::Table& table, Deletion deletion) {
    if ((&table == &store.articles || !busy()) && settleEditor()) {
      guarded([&] {
        if (auto question = presentation::ask_before(deletion, table))
          presentation::delete_on(presentation::ask(dialogs_, *question), deletion, table);
      });
    }
  };
  connect(views_.articles.removeAction(), &QAction::triggered, this,
          [=, &store] { remove(store.articles, Deletion::Article); });
  connect(views_.uploads.removeAction(), &QAction::triggered, this,
          [=, &store] { remove(store.uploads, Deletion::Article); });
  connect(views_.articles.removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove(store.articles, Deletion::All); });
  connect(views_.uploads.removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove(store.uploads, Deletion::All); });
  connect(views_.imports.removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove(store.imports, Deletion::All); });

  // The navigators' delete and the grids' delete key ask their own question.
  const std::pair<RecordNavigator*, store::Table*> navigators[] = {
      {views_.articles.navigator(), &store.articles},
      {views_.uploads.navigator(), &store.uploads},
      {views_.imports.navigator(), &store.imports}};
  for (auto [navigator, table] : navigators) {
    connect(navigator, &RecordNavigator::deleteClicked, this,
            [=] { remove(*table, Deletion::Record); });
  }
  const std::pair<TableGrid*, store::Table*> grids[] = {{views_.articles.grid(), &store.articles},
                                                        {views_.uploads.grid(), &store.uploads},
                                                        {views_.imports.grid(), &store.imports}};
  for (auto [grid, table] : grids) {
    connect(grid, &TableGrid::deleteRequested, this, [=] { remove(*table, Deletion::Record); });
  }
}

TableOperations::~TableOperations() = default;

bool TableOperations::busy() const { return workspace_.busy(); }

void TableOperations::connectGrid(presentation::Grid grid, TableGrid* view) {
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
  const std::pair<presentation::Grid, TableGrid*> grids[] = {
      {presentation::Grid::Articles, views_.articles.grid()},
      {presentation::Grid::Uploads, views_.uploads.grid()},
      {presentation::Grid::Imports, views_.imports.grid()}};
  for (auto [grid, view] : grids) view->tableModel()->setBoldTitles(sorting_->bold(grid));
  show_value(views_.articles.sortLabel(), QString::fromStdString(sorting_->label()));
}

void TableOperations::titleClicked(presentation::Grid grid, TableGrid* view, int column) {
  if ((grid != presentation::Grid::Articles && busy()) || !settleEditor()) return;
  guarded([&] { sorting_->click_title(grid, column); });
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
