#include "app/editor/article_editor.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include "app/accessible.h"
#include "app/editor/clickable_label.h"
#include "app/editor/fee_display.h"
#include "app/editor/field_widgets.h"
#include "app/editor/description_page.h"
#include "app/editor/pictures_page.h"
#include "app/editor/category_page.h"
#include "ports/dialogs.h"
#include "presentation/labels.h"
#include "store/field.h"
#include "store/table.h"
#include "text/error.h"
#include "workspace/workspace.h"

namespace tellvaro::app {
namespace {

void set_panel(QLabel* panel, const std::string& text) {
  if (panel) show_value(panel, QString::fromStdString(text));
}

}  // namespace

ArticleEditor::ArticleEditor(Dependencies dependencies, QWidget* parent)
    : QTabWidget(parent), d_(std::move(dependencies)), workspace_(*d_.workspace) {
  store::Table& articles = workspace_.articles();
  binder_ = new FieldBinder(articles, d_.dialogs, this);
  category_page_ = new CategoryPage(workspace_.db(), articles, *binder_, d_.dialogs);

  using presentation::EditorPage;
  const auto at = [](EditorPage p) { return static_cast<std::size_t>(p); };
  pages_[at(EditorPage::Article)] = build_article_page(*binder_, controls_);
  description_page_ =
      new DescriptionPage(*binder_, controls_, articles, d_.dialogs, workspace_.frames());
  pictures_page_ =
      new PicturesPage(*binder_, controls_, articles, d_.dialogs, workspace_.picture_folder());
  pages_[at(EditorPage::Description)] = description_page_;
  pages_[at(EditorPage::Pictures)] = pictures_page_;
  pages_[at(EditorPage::Category)] = category_page_;
  pages_[at(EditorPage::Payment)] = build_payment_page(*binder_, controls_);
  pages_[at(EditorPage::Fees)] = build_fees_page(controls_);
  pages_[at(EditorPage::Infos)] = build_infos_page(*binder_);
  for (const auto& tab : presentation::kEditorTabs) {
    addTab(pages_[at(tab.page)],
           QString::fromUtf8(tab.caption.data(), static_cast<int>(tab.caption.size())));
  }

  connect(controls_.category_text, &ClickableLabel::clicked, this,
          [this] { setCurrentWidget(category_page_); });
  // Connected after the pages exist: adding the first page is no page change of the user.
  connect(this, &QTabWidget::currentChanged, this, [this] { commitOnPageChange(); });

  subscriptions_.push_back(
      articles.on_data_change([this](std::optional<std::size_t> field) { dataChange(field); }));
  subscriptions_.push_back(articles.on_before_post([this] { beforePost(); }));
  // Any change of the upload table's rows or fees makes the counters and total stale.
  const std::size_t fee = store::index_of(store::F::Gebuehr);
  subscriptions_.push_back(workspace_.uploads().on_rows_change(
      [this](const store::Table::RowChange&) { scheduleUploadTotals(); }));
  subscriptions_.push_back(
      workspace_.uploads().on_data_change([this, fee](std::optional<std::size_t> field) {
        if (field == fee) scheduleUploadTotals();
      }));
  subscriptions_.push_back(workspace_.on_reference_lists([this] { showReferenceLists(); }));
  showReferenceLists();
}

ArticleEditor::~ArticleEditor() = default;

void ArticleEditor::showReferenceLists() {
  // Refilling the drop-down would touch its text; only a changed list is worth that.
  if (workspace_.durations() != durations_shown_) {
    durations_shown_ = workspace_.durations();
    binder_->setComboItems(store::F::Auktionsdauer, durations_shown_);
  }
  paint_fee_texts(controls_, workspace_.feature_fees());
  const catalogue::PaymentNames& payments = workspace_.payment_names();
  for (std::size_t i = 0; i < catalogue::kPaymentSlots && i < payments.shown; ++i) {
    // A payment name is shown as it is written: an '&' in it is no mnemonic.
    controls_.payments[i]->setText(
        QString::fromStdString(payments.name[i]).replace(QLatin1Char('&'), QStringLiteral("&&")));
    controls_.payments[i]->show();
  }
  refreshFees();
  refreshPayments();
}

void ArticleEditor::refreshAll() {
  binder_->refresh(std::nullopt);
  dataChange(std::nullopt);
  updateUploadTotals();
}

void ArticleEditor::updateUploadTotals() {
  showUploadTotals(catalogue::upload_totals(workspace_.uploads()));
}

void ArticleEditor::showUploadTotals(const catalogue::UploadTotals& totals) {
  set_panel(d_.panel_uploads, presentation::uploads_panel(totals.count));
  set_panel(d_.panel_total, presentation::upload_total_panel(totals.total));
}

void ArticleEditor::scheduleUploadTotals() {
  // Later, not inside the upload table's own notification; several changes in one go count once.
  if (totals_pending_) return;
  totals_pending_ = true;
  QTimer::singleShot(0, this, [this] {
    totals_pending_ = false;
    // Counted without moving the cursor: the user's row stays where it was.
    showUploadTotals(catalogue::sum_upload_fees(workspace_.uploads()));
  });
}

QWidget* ArticleEditor::page(presentation::EditorPage page) const {
  return pages_[static_cast<std::size_t>(page)];
}

void ArticleEditor::showPage(presentation::EditorPage page) { setCurrentWidget(this->page(page)); }

void ArticleEditor::commitPendingEdits() { binder_->flush(); }

void ArticleEditor::commitOnPageChange() {
  store::Table& articles = workspace_.articles();
  try {
    binder_->flush();
    articles.edit();
    articles.post();
  } catch (const Error& e) {
    if (d_.dialogs) d_.dialogs->error(e.what());
  }
}

void ArticleEditor::dataChange(std::optional<std::size_t> field) {
  if (!field) category_page_->discardPending();
  category_page_->reset();
  showDescriptionPreview();
  set_panel(d_.panel_articles, presentation::articles_panel(workspace_.articles().count()));
  refreshFees();
  refreshPayments();
  refreshPictures();
}

// The fee is the workspace's rule on every post; it runs after this and sees the category.
void ArticleEditor::beforePost() { category_page_->beforePost(); }

void ArticleEditor::showDescriptionPreview() { description_page_->refreshPreview(); }

void ArticleEditor::refreshFrames() { description_page_->refreshFrames(); }

void ArticleEditor::refreshPictures() { pictures_page_->refresh(); }

void ArticleEditor::refreshFees() {
  marks_ = catalogue::compute_fees(workspace_.feature_fees(), workspace_.articles());
  paint_fees(controls_, marks_, d_.fee_total);
}

void ArticleEditor::refreshPayments() {
  for (std::size_t i = 1; i <= catalogue::kPaymentSlots; ++i) {
    binder_->refresh(store::index_of(store::payment_flag(static_cast<int>(i))));
  }
  binder_->refresh(store::index_of(store::F::international));
}

}  // namespace tellvaro::app
