#include "app/transfer_commands.h"

#include <QAction>
#include <QEvent>

#include "app/editor/article_editor.h"
#include "app/editor_session.h"
#include "app/error_report.h"
#include "app/send_commands.h"
#include "app/table_grid.h"
#include "app/view_article.h"
#include "ports/dialogs.h"
#include "presentation/editor_pages.h"
#include "presentation/run_gate.h"
#include "store/table.h"
#include "upload/transfer.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

TransferCommands::TransferCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(std::move(dependencies)) {
  // The viewport sees a double click also where the grid shows no row: an empty table is
  // checked, too (and asks for the name).
  d_.view.grid()->viewport()->installEventFilter(this);
  connect(d_.view.transferOneAction(), &QAction::triggered, this, [this] { transferOne(); });
  connect(d_.view.transferAllAction(), &QAction::triggered, this, [this] { transferAll(); });
  connect(d_.view.directAction(), &QAction::triggered, this, [this] { transferDirect(); });
}

bool TransferCommands::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) transferOne();
  return QObject::eventFilter(watched, event);
}

bool TransferCommands::transferOne() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::TransferToUploads)) return false;
  if (!d_.editor.settle()) return false;
  ArticleEditor* editor = d_.view.editor();
  bool copied = false;
  run_guarded(d_.dialogs, [&] {
    auto result = upload::transfer_one(
        ws.articles().values(), ws.uploads(), d_.dialogs,
        [this, &ws](const std::vector<store::Table::Key>& added) {
          // The upload grid shows the new record, and "direkt übertragen" sends it from there.
          ws.uploads().move_to_key(added.back());
          d_.editor.uploadsChanged();
        },
        ws.column_limits(), &ws.frames());
    copied = result.copied;
    if (result.missing) editor->showPage(presentation::page_showing(*result.missing));
  });
  return copied;
}

void TransferCommands::transferAll() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::TransferToUploads) || !d_.editor.settle()) return;
  run_guarded(d_.dialogs, [&] {
    store::Table& articles = ws.articles();
    // Settled first: posting may move the record or take it out of the filter.
    articles.post_if_changed();
    const auto result = upload::transfer_all(
        articles.shown(), ws.uploads(), d_.dialogs,
        [&ws](const std::string& line) { ws.protocol().add(line); },
        [this, &ws](const std::vector<store::Table::Key>& added) {
          ws.uploads().move_to_key(added.back());
          d_.editor.uploadsChanged();
        },
        ws.column_limits(), &ws.frames());
    // The seller is left where a walk through the articles ends: on the last one.
    if (result.asked_yes) articles.last();
  });
}

void TransferCommands::transferDirect() {
  if (const std::string refusal = d_.gate.refusal(presentation::Command::TransferToUploads);
      !refusal.empty()) {
    d_.dialogs.inform(refusal);
    return;
  }
  if (transferOne()) d_.send.sendMarked();
}

}  // namespace tellvaro::app
