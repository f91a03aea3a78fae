#include "app/file_commands.h"

#include <QAction>
#include <QStatusBar>

#include "app/error_report.h"
#include "presentation/run_gate.h"
#include "store/table_commands.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {

// How long the status line shows what "Öffnen" kept.
constexpr int kStatusMilliseconds = 15000;

}  // namespace

FileCommands::FileCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(std::move(dependencies)) {
  connect(d_.open, &QAction::triggered, this, &FileCommands::open);
  connect(d_.save, &QAction::triggered, this, &FileCommands::save);
  connect(d_.save_as, &QAction::triggered, this, &FileCommands::saveAs);
}

void FileCommands::open() {
  if (!settle()) return;
  workspace::Workspace& ws = d_.workspace;
  run_guarded(d_.dialogs, [&] {
    if (auto said = store::open_article_file(ws.articles(), ws.program_folder(), d_.dialogs)) {
      if (d_.status) d_.status->showMessage(QString::fromStdString(*said), kStatusMilliseconds);
    }
  });
}

void FileCommands::save() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::SaveFiles) || !settle()) return;
  run_guarded(d_.dialogs, [&] { ws.save_standard_files(); });
}

void FileCommands::saveAs() {
  if (!settle()) return;
  workspace::Workspace& ws = d_.workspace;
  run_guarded(d_.dialogs,
              [&] { store::save_articles_as(ws.articles(), ws.program_folder(), d_.dialogs); });
}

}  // namespace tellvaro::app
