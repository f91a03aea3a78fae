#include "app/transfer_commands.h"

#include <QAction>
#include <QEvent>

#include "app/editor/article_editor.h"
#include "app/error_report.h"
#include "app/table_grid.h"
#include "app/view_article.h"
#include "upload/transfer.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {

QString page_title(upload::EditorPage page) {
  switch (page) {
    case upload::EditorPage::Artikel:
      return QStringLiteral("Artikel");
    case upload::EditorPage::Kategorie:
      return QStringLiteral("Kategorie");
    case upload::EditorPage::Beschreibung:
      return QStringLiteral("Beschreibung");
    case upload::EditorPage::Bezahlung:
      return QStringLiteral("Bezahlung");
  }
  return {};
}

}  // namespace

TransferCommands::TransferCommands(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {
  // The viewport sees a double click also where the grid shows no row: an empty table is
  // checked, too (and asks for the name).
  p_.view.grid()->viewport()->installEventFilter(this);
  connect(p_.view.transferOneAction(), &QAction::triggered, this, [this] { transferOne(); });
  connect(p_.view.transferAllAction(), &QAction::triggered, this, [this] { transferAll(); });
}

bool TransferCommands::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) transferOne();
  return QObject::eventFilter(watched, event);
}

bool TransferCommands::transferOne() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy()) return false;
  ArticleEditor* editor = p_.view.editor();
  editor->commitPendingEdits();
  bool copied = false;
  run_guarded(p_.dialogs, [&] {
    auto result = upload::transfer_current(ws.articles(), ws.uploads(), p_.dialogs,
                                           [editor] { editor->updateUploadTotals(); });
    copied = result.copied;
    if (result.page) {
      const QString title = page_title(*result.page);
      for (int i = 0; i < editor->count(); ++i) {
        if (editor->tabText(i) == title) editor->setCurrentIndex(i);
      }
    }
  });
  return copied;
}

void TransferCommands::transferAll() {
  workspace::Workspace& ws = p_.workspace;
  if (ws.busy()) return;
  ArticleEditor* editor = p_.view.editor();
  editor->commitPendingEdits();
  run_guarded(p_.dialogs, [&] {
    upload::transfer_all(
        ws.articles(), ws.uploads(), p_.dialogs,
        [&ws](const std::string& line) { ws.protocol().add(line); },
        [editor] { editor->updateUploadTotals(); });
  });
}

}  // namespace tellvaro::app
