#include "app/file_commands.h"

#include <QAction>
#include <QStatusBar>

#include "app/editor_session.h"
#include "app/error_report.h"
#include "media/pictures.h"
#include "ports/dialogs.h"
#include "presentation/run_gate.h"
#include "store/csv.h"
#include "store/table_commands.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {

// How long the status line shows what "Öffnen" kept.
constexpr int kStatusMilliseconds = 15000;

}  // namespace

FileCommands::FileCommands(Dependencies dependencies, QObject* parent)
    : QObject(parent), d_(dependencies) {
  connect(&d_.open, &QAction::triggered, this, &FileCommands::open);
  connect(&d_.save, &QAction::triggered, this, &FileCommands::save);
  connect(&d_.save_as, &QAction::triggered, this, &FileCommands::saveAs);
  connect(&d_.import_file, &QAction::triggered, this, &FileCommands::importFile);
  connect(&d_.export_file, &QAction::triggered, this, &FileCommands::exportFile);
}

void FileCommands::open() {
  if (!d_.editor.settle()) return;
  workspace::Workspace& ws = d_.workspace;
  run_guarded(d_.dialogs, [&] {
    if (auto said = store::open_article_file(ws.articles(), ws.program_folder(), d_.dialogs)) {
      d_.status.showMessage(QString::fromStdString(*said), kStatusMilliseconds);
    }
  });
}

void FileCommands::save() {
  workspace::Workspace& ws = d_.workspace;
  if (!d_.gate.allows(presentation::Command::SaveFiles) || !d_.editor.settle()) return;
  run_guarded(d_.dialogs, [&] { ws.save_standard_files(); });
}

void FileCommands::saveAs() {
  if (!d_.editor.settle()) return;
  workspace::Workspace& ws = d_.workspace;
  run_guarded(d_.dialogs,
              [&] { store::save_articles_as(ws.articles(), ws.program_folder(), d_.dialogs); });
}

void FileCommands::importFile() {
  if (const std::string refusal = d_.gate.refusal(presentation::Command::ImportFile);
      !refusal.empty()) {
    d_.dialogs.inform(refusal);
    return;
  }
  if (!d_.editor.settle()) return;
  workspace::Workspace& ws = d_.workspace;
  auto path = d_.dialogs.open_file(ws.program_folder(), std::string(store::kCsvFileTypes));
  if (!path) return;
  run_guarded(d_.dialogs, [&] {
    auto result = media::import_articles_with_pictures(ws.articles(), *path, ws.picture_folder());
    d_.dialogs.inform(store::import_summary(result));
  });
}

void FileCommands::exportFile() {
  if (!d_.editor.settle()) return;
  workspace::Workspace& ws = d_.workspace;
  auto path = d_.dialogs.save_file(ws.program_folder(), std::string(store::kCsvFileTypes));
  if (!path) return;
  path = store::with_csv_extension(*path);
  run_guarded(d_.dialogs, [&] {
    const std::size_t n = store::export_articles_csv(ws.articles(), *path);
    d_.dialogs.inform(store::export_summary(n, *path));
  });
}

}  // namespace tellvaro::app
