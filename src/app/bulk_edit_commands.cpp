#include "app/bulk_edit_commands.h"

#include <QAction>
#include <QItemSelectionModel>

#include "app/bulk_edit_dialog.h"
#include "app/editor_session.h"
#include "app/error_report.h"
#include "app/table_grid.h"
#include "ports/dialogs.h"
#include "presentation/bulk_form.h"
#include "presentation/run_gate.h"
#include "workspace/workspace.h"

namespace tellvaro::app {
BulkEditCommands::BulkEditCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      d_(std::move(dependencies)),
      editor_(d_.workspace.articles()),
      edit_(d_.edit),
      undo_(d_.undo) {
  // The grid's own entries. Ctrl+Shift+E is the menu's, everywhere in the window (a second
  // action with it would make the key ambiguous); Ctrl+Z belongs to the grid only, so every
  // text field keeps its own undo.
  d_.grid.addMenuSeparator();
  grid_edit_ = d_.grid.addMenuEntry(edit_->text());
  grid_undo_ = d_.grid.addMenuEntry(undo_->text());
  grid_undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  grid_undo_->setShortcutContext(Qt::WidgetShortcut);
  for (QAction* a : {edit_, grid_edit_}) {
    connect(a, &QAction::triggered, this, &BulkEditCommands::openDialog);
  }
  for (QAction* a : {undo_, grid_undo_}) {
    connect(a, &QAction::triggered, this, &BulkEditCommands::undo);
  }
  showUndo();
}

BulkEditDialog* BulkEditCommands::dialog() const { return dialog_; }

void BulkEditCommands::openDialog() {
  if (dialog_) {
    dialog_->raise();
    dialog_->activateWindow();
    return;
  }
  if (!d_.editor.settle()) return;
  if (d_.show_articles) d_.show_articles();
  std::vector<std::size_t> selected;
  if (auto* selection = d_.grid.selectionModel()) {
    for (const QModelIndex& index : selection->selectedRows()) {
      selected.push_back(static_cast<std::size_t>(index.row()));
    }
  }
  workspace::Workspace& ws = d_.workspace;
  const auto targets = workspace::bulk_targets(ws.articles(), selected);
  if (!targets.refusal.empty()) {
    d_.dialogs.inform(targets.refusal);
    return;
  }
  if (!targets.question.empty() && d_.dialogs.ask_yes_no(targets.question) != ports::Answer::Yes) {
    return;
  }
  editor_.set_payment_names(ws.payment_names());
  const auto keys = targets.keys;
  dialog_ = new BulkEditDialog(
      {editor_, keys, ws.durations(), ws.payment_names(), ws.db(),
       [this] { return !d_.gate.allows(presentation::Command::BrowseCategories); }, d_.dialogs,
       [this, keys](const workspace::BulkChange& change) { return apply(keys, change); }},
      d_.window);
  dialog_->setAttribute(Qt::WA_DeleteOnClose);
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->open();
}

bool BulkEditCommands::apply(const std::vector<store::Table::Key>& keys,
                             const workspace::BulkChange& change) {
  std::size_t changed = 0;
  if (!d_.editor.settle() ||
      !run_guarded(d_.dialogs, [&] { changed = editor_.apply(keys, change); })) {
    return false;
  }
  showUndo();
  if (d_.status) {
    d_.status(QString::fromStdString(presentation::bulk_applied_status(changed)));
  }
  return true;
}

void BulkEditCommands::undo() {
  workspace::BulkEditor::UndoOutcome outcome;
  if (!d_.editor.settle() || !run_guarded(d_.dialogs, [&] { outcome = editor_.undo(); })) return;
  showUndo();
  if (!outcome.done) {
    d_.dialogs.inform(outcome.message);
  } else if (d_.status) {
    d_.status(QString::fromStdString(outcome.message));
  }
}

void BulkEditCommands::showUndo() {
  const bool can = editor_.can_undo();
  undo_->setEnabled(can);
  grid_undo_->setEnabled(can);
}

}  // namespace tellvaro::app
