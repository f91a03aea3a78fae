#include "app/file_commands.h"

#include <QAction>
#include <QStatusBar>

#include "app/error_report.h"
#include "store/table_commands.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {

// How long the status line shows what "Öffnen" kept.
constexpr int kStatusMilliseconds = 15000;

}  // namespace

FileCommands::FileCommands(Parts parts, QAction* open, QAction* save, QAction* save_as,
                           QObject* parent)
    : QObject(parent), p_(std::move(parts)) {
  connect(open, &QAction::triggered, this, &FileCommands::open);
  connect(save, &QAction::triggered, this, &FileCommands::save);
  connect(save_as, &QAction::triggered, this, &FileCommands::saveAs);
}

void FileCommands::open() {
  if (!settle()) return;
  workspace::Workspace& ws = p_.workspace;
  run_guarded(p_.dialogs, [&] {
    if (auto said = store::open_article_file(ws.articles(), ws.program_folder(), p_.dialogs)) {
      if (p_.status) p_.status->showMessage(QString::fromStdString(*said), kStatusMilliseconds);
    }
  });
}

void FileCommands::save() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy() || !settle()) return;
  run_guarded(p_.dialogs, [&] { store::save_standard_files(ws.store(), ws.program_folder()); });
}

void FileCommands::saveAs() {
  if (!settle()) return;
  workspace::Workspace& ws = p_.workspace;
  run_guarded(p_.dialogs,
              [&] { store::save_articles_as(ws.articles(), ws.program_folder(), p_.dialogs); });
}

}  // namespace tellvaro::app
