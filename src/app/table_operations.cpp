#include "app/table_operations.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

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

namespace tellvaro::app {

namespace {

QString qtext(const std::string& s) { return QString::fromStdString(s); }

// How long the status line shows what "Öffnen" kept.
constexpr int kStatusMilliseconds = 15000;

}  // namespace

TableOperations::TableOperations(Context context, QObject* parent)
    : QObject(parent), c_(std::move(context)) {
  auto& store = *c_.store;
  auto& dialogs = *c_.dialogs;

  connectGrid(store::Grid::Articles, c_.articles->grid());
  connectGrid(store::Grid::Uploads, c_.uploads->grid());
  connectGrid(store::Grid::Imports, c_.imports->grid());

  connect(c_.articles->filterEdit(), &QLineEdit::textChanged, this, [this] { filter(); });
  connect(c_.articles->filterBox(), &QCheckBox::clicked, this, [this] { filter(); });

  connect(c_.articles->copyAction(), &QAction::triggered, this, [this, &store] {
    if (settleEditor())
      guarded([&] { copy_current(store.articles, store::CopyRule::WithoutPictures); });
  });
  connect(c_.uploads->copyAction(), &QAction::triggered, this, [this, &store] {
    guarded([&] { copy_current(store.uploads, store::CopyRule::Identical); });
  });

  auto remove = [this, &dialogs](store::Table& table, std::string_view question) {
    if (settleEditor()) guarded([&] { store::delete_current(table, dialogs, question); });
  };
  auto remove_all = [this, &dialogs](store::Table& table) {
    if (settleEditor()) guarded([&] { store::delete_all(table, dialogs); });
  };
  connect(c_.articles->removeAction(), &QAction::triggered, this,
          [=, &store] { remove(store.articles, store::kAskDeleteArticle); });
  connect(c_.uploads->removeAction(), &QAction::triggered, this,
          [=, &store] { remove(store.uploads, store::kAskDeleteArticle); });
  connect(c_.articles->removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove_all(store.articles); });
  connect(c_.uploads->removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove_all(store.uploads); });
  connect(c_.imports->removeAllAction(), &QAction::triggered, this,
          [=, &store] { remove_all(store.imports); });

  // The navigators' delete and the grids' delete key ask their own question.
  const std::pair<RecordNavigator*, store::Table*> navigators[] = {
      {c_.articles->navigator(), &store.articles},
      {c_.uploads->navigator(), &store.uploads},
      {c_.imports->navigator(), &store.imports}};
  for (auto [navigator, table] : navigators) {
    connect(navigator, &RecordNavigator::deleteClicked, this,
            [=] { remove(*table, store::kAskDeleteRecord); });
  }
  const std::pair<TableGrid*, store::Table*> grids[] = {{c_.articles->grid(), &store.articles},
                                                        {c_.uploads->grid(), &store.uploads},
                                                        {c_.imports->grid(), &store.imports}};
  for (auto [grid, table] : grids) {
    connect(grid, &TableGrid::deleteRequested, this, [=, this, &store] {
      if (table == &store.articles || !busy()) remove(*table, store::kAskDeleteRecord);
    });
  }
}

void TableOperations::connectFileMenu(QAction* open, QAction* save, QAction* save_as) {
  connect(open, &QAction::triggered, this, &TableOperations::open);
  connect(save, &QAction::triggered, this, &TableOperations::save);
  connect(save_as, &QAction::triggered, this, &TableOperations::saveAs);
}

void TableOperations::connectGrid(store::Grid grid, TableGrid* view) {
  connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [=, this](int column) { titleClicked(grid, view, column); });
}

void TableOperations::guarded(const std::function<void()>& action) {
  run_guarded(*c_.dialogs, action);
}

bool TableOperations::settleEditor() {
  return run_guarded(*c_.dialogs, [this] { c_.articles->editor()->commitPendingEdits(); });
}

void TableOperations::showSorting() {
  const std::pair<store::Grid, TableGrid*> grids[] = {{store::Grid::Articles, c_.articles->grid()},
                                                      {store::Grid::Uploads, c_.uploads->grid()},
                                                      {store::Grid::Imports, c_.imports->grid()}};
  for (auto [grid, view] : grids) view->tableModel()->setBoldTitles(c_.sorting->bold(grid));
  show_value(c_.articles->sortLabel(), qtext(c_.sorting->label()));
}

void TableOperations::titleClicked(store::Grid grid, TableGrid* view, int column) {
  const auto& columns = view->tableModel()->columns();
  if (column < 0 || column >= static_cast<int>(columns.size())) return;
  if ((grid != store::Grid::Articles && busy()) || !settleEditor()) return;
  guarded([&] { c_.sorting->click_title(grid, column, columns[column].field); });
  showSorting();
  view->scrollToCursor();
}

void TableOperations::filter() {
  if (!settleEditor()) return;
  guarded([this] {
    c_.sorting->filter(c_.articles->filterEdit()->text().toStdString(),
                       c_.articles->filterBox()->isChecked());
  });
  showSorting();
  c_.articles->grid()->scrollToCursor();
}

void TableOperations::open() {
  if (!settleEditor()) return;
  guarded([this] {
    if (auto said = store::open_article_file(c_.store->articles, c_.program_folder, *c_.dialogs)) {
      if (c_.status) c_.status->showMessage(qtext(*said), kStatusMilliseconds);
    }
  });
}

void TableOperations::save() {
  if (!busy() && settleEditor())
    guarded([this] { store::save_standard_files(*c_.store, c_.program_folder); });
}

void TableOperations::saveAs() {
  if (settleEditor()) {
    guarded(
        [this] { store::save_articles_as(c_.store->articles, c_.program_folder, *c_.dialogs); });
  }
}

}  // namespace tellvaro::app
