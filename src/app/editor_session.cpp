#include "app/editor_session.h"

#include "app/editor/article_editor.h"
#include "app/error_report.h"

namespace tellvaro::app {

bool ArticleEditorSession::settle() {
  return run_guarded(dialogs_, [this] { editor_.commitPendingEdits(); });
}

void ArticleEditorSession::uploadsChanged() { editor_.updateUploadTotals(); }

}  // namespace tellvaro::app
