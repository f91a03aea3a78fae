#include "app/grid_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "app/accessible.h"
#include "app/editor_session.h"
#include "app/error_report.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "app/view_upload.h"
#include "presentation/confirmations.h"
#include "presentation/grid_sorting.h"
#include "presentation/run_gate.h"
#include "store/article_store.h"
#include "store/table_commands.h"

namespace tellvaro::app {

using presentation::Deletion;

GridCommands::GridCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      d_(dependencies),
      sorting_(std::make_unique<presentation::GridSorting>(d_.store)) {
  auto& store = d_.store;

  for (GridView* view : std::initializer_list<GridView*>{&d_.articles, &d_.uploads, &d_.imports}) {
    connect(view, &GridView::titleClicked, this,
            [this, view](int column) { titleClicked(*view, column); });
    // The navigators' delete and the grids' delete key ask their own question.
    store::Table& table = presentation::table_of(store, view->kind());
    connect(view, &GridView::deleteRequested, this,
            [this, &table] { remove(table, Deletion::Record); });
  }

  connect(d_.articles.filterEdit(), &QLineEdit::textChanged, this, [this] { filter(); });
  // However the box changes: a click, the space bar or a screen reader's toggle action.
  connect(d_.articles.filterBox(), &QCheckBox::toggled, this, [this] { filter(); });

  connect(d_.articles.copyAction(), &QAction::triggered, this, [this, &store] {
    if (d_.editor.settle())
      guarded([&] { copy_current(store.articles, store::CopyRule::WithoutPictures); });
  });
  connect(d_.uploads.copyAction(), &QAction::triggered, this, [this, &store] {
    if (changeable(store.uploads))
      guarded([&] { copy_current(store.uploads, store::CopyRule::Identical); });
  });

  connect(d_.articles.removeAction(), &QAction::triggered, this,
          [this, &store] { remove(store.articles, Deletion::Article); });
  connect(d_.uploads.removeAction(), &QAction::triggered, this,
          [this, &store] { remove(store.uploads, Deletion::Article); });
  connect(d_.articles.removeAllAction(), &QAction::triggered, this,
          [this, &store] { remove(store.articles, Deletion::All); });
  connect(d_.uploads.removeAllAction(), &QAction::triggered, this,
          [this, &store] { remove(store.uploads, Deletion::All); });
  connect(d_.imports.removeAllAction(), &QAction::triggered, this,
          [this, &store] { remove(store.imports, Deletion::All); });
}

GridCommands::~GridCommands() = default;

bool GridCommands::changeable(const store::Table& table) const {
  using presentation::Command;
  const store::ArticleStore& store = d_.store;
  const Command command = &table == &store.uploads   ? Command::ChangeUploads
                          : &table == &store.imports ? Command::ChangeImports
                                                     : Command::ChangeArticles;
  return d_.gate.allows(command);
}

void GridCommands::guarded(const std::function<void()>& action) { run_guarded(d_.dialogs, action); }

void GridCommands::remove(store::Table& table, Deletion deletion) {
  if (!changeable(table) || !d_.editor.settle()) return;
  guarded([&] {
    if (auto question = presentation::ask_before(deletion, table))
      presentation::delete_on(presentation::ask(d_.dialogs, *question), deletion, table);
  });
}

void GridCommands::startSorting() {
  guarded([this] { sorting_->start(); });
  showSorting();
}

void GridCommands::showSorting() {
  for (GridView* view : std::initializer_list<GridView*>{&d_.articles, &d_.uploads, &d_.imports})
    view->grid()->tableModel()->setBoldTitles(sorting_->bold(view->kind()));
  show_value(d_.articles.sortLabel(), QString::fromStdString(sorting_->label()));
}

void GridCommands::titleClicked(GridView& view, int column) {
  const store::Table& table = presentation::table_of(d_.store, view.kind());
  if (!changeable(table) || !d_.editor.settle()) return;
  guarded([&] { sorting_->click_title(view.kind(), column); });
  showSorting();
  view.grid()->scrollToCursor();
}

void GridCommands::filter() {
  if (!d_.editor.settle()) return;
  guarded([this] {
    sorting_->filter(d_.articles.filterEdit()->text().toStdString(),
                     d_.articles.filterBox()->isChecked());
  });
  showSorting();
  d_.articles.grid()->scrollToCursor();
}

}  // namespace tellvaro::app
