#include "app/view_article.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/table_grid.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
}  // namespace

ArticleView::ArticleView(ArticleEditor::Dependencies editor, QWidget* parent)
    : GridView(editor.workspace->articles(), *editor.dialogs,
               {.kind = presentation::Grid::Articles,
                .name = u("Artikel-Tabelle"),
                .editable = true,
                .several_rows = true,
                .full_navigator = true},
               parent) {
  grid()->setEditKeyBeforeShortcuts(true);
  transfer_one_ = addMenuEntry(u("Diesen Artikel in Upload-Tabelle übertragen"));
  transfer_all_ = addMenuEntry(u("Alle Artikel in die Upload-Tabelle übertragen"));
  addMenuSeparator();
  copy_ = addMenuEntry(u("Artikel kopieren"));
  remove_ = addMenuEntry(u("Artikel löschen"));
  remove_all_ = addMenuEntry(u("Alle Artikel löschen"));
  direct_ = addMenuEntry(u("Zu Auktionshaus direkt übertragen"));

  // The strip first: the editor paints the fee into its label.
  auto* fee_caption = new QLabel(u("Artikel Uploadkosten:"));
  fee_ = new QLabel;
  name_by_value(fee_, spoken_caption(fee_caption->text()));
  fee_->setMinimumWidth(80);
  sort_label_ = new QLabel(u("Sortiert nach:"));
  name_by_value(sort_label_);
  filter_edit_ = new QLineEdit;
  filter_edit_->setAccessibleName(u("Filtertext"));
  filter_edit_->setMaximumWidth(200);
  filter_box_ = new QCheckBox(u("Filter"));
  filter_box_->setAccessibleName(u("Filter"));

  editor.fee_total = fee_;
  editor_ = new ArticleEditor(std::move(editor));
  navigator()->setBeforeEach([this] { editor_->commitPendingEdits(); });

  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(grid());
  split->addWidget(editor_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);

  auto* strip = new QHBoxLayout;
  strip->addWidget(navigator());
  strip->addSpacing(16);
  strip->addWidget(fee_caption);
  strip->addWidget(fee_);
  strip->addSpacing(16);
  strip->addWidget(sort_label_, 1);
  strip->addWidget(filter_edit_);
  strip->addWidget(filter_box_);

  auto* layout = frame();
  layout->addWidget(split, 1);
  layout->addLayout(strip);
}

}  // namespace tellvaro::app
