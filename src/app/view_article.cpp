#include "app/view_article.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/record_navigator.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
}  // namespace

ArticleView::ArticleView(ArticleEditor::Context context, QWidget* parent) : QWidget(parent) {
  auto& articles = context.workspace->articles();
  auto& dialogs = *context.dialogs;

  auto* model = new TableModel(articles, presentation::columns_of(presentation::Grid::Articles),
                               true, dialogs);
  grid_ = new TableGrid(model, u("Artikel-Tabelle"), true);
  grid_->setEditKeyBeforeShortcuts(true);
  transfer_one_ = grid_->addMenuEntry(u("Diesen Artikel in Upload-Tabelle übertragen"));
  transfer_all_ = grid_->addMenuEntry(u("Alle Artikel in die Upload-Tabelle übertragen"));
  grid_->addMenuSeparator();
  copy_ = grid_->addMenuEntry(u("Artikel kopieren"));
  remove_ = grid_->addMenuEntry(u("Artikel löschen"));
  remove_all_ = grid_->addMenuEntry(u("Alle Artikel löschen"));
  direct_ = grid_->addMenuEntry(u("Zu Auktionshaus direkt übertragen"));

  // The strip first: the editor paints the fee into its label.
  navigator_ =
      new RecordNavigator(articles, dialogs,
                          {RecordNavigator::Button::First, RecordNavigator::Button::Prior,
                           RecordNavigator::Button::Next, RecordNavigator::Button::Last,
                           RecordNavigator::Button::Insert, RecordNavigator::Button::Delete,
                           RecordNavigator::Button::Edit, RecordNavigator::Button::Post,
                           RecordNavigator::Button::Cancel});
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

  context.fee_total = fee_;
  editor_ = new ArticleEditor(std::move(context));
  navigator_->setBeforeEach([this] { editor_->commitPendingEdits(); });

  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(grid_);
  split->addWidget(editor_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);

  auto* strip = new QHBoxLayout;
  strip->addWidget(navigator_);
  strip->addSpacing(16);
  strip->addWidget(fee_caption);
  strip->addWidget(fee_);
  strip->addSpacing(16);
  strip->addWidget(sort_label_, 1);
  strip->addWidget(filter_edit_);
  strip->addWidget(filter_box_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(split, 1);
  layout->addLayout(strip);
}

}  // namespace tellvaro::app
